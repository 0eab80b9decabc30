// SPDX-License-Identifier: GPL-3.0-or-later
// Value texts of the form-state store, written as the platform's component
// streaming writes them: numbers in the shortest general form with "."
// under every locale, "True"/"False", sets as "[a,b]", enumerations by
// name. They read back the same way whatever the locale, so a file moves
// between machines unchanged. Names compare without regard to ASCII case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

std::string FormatStoredFloat(double value);  // shortest general, "." separator
std::optional<double> ParseStoredFloat(const std::string& text);
int32_t ParseStoredInteger(const std::string& text);  // 0 when not a number
const char* FormatStoredBoolean(bool value);          // "True" or "False"
std::optional<bool> ParseStoredBoolean(const std::string& text);
std::string FormatFontStyle(uint8_t style);  // "[fsBold,fsItalic]"
std::optional<uint8_t> ParseFontStyle(const std::string& text);
const char* FormatFontPitch(uint8_t pitch);  // "fpDefault", "fpVariable", "fpFixed"
std::optional<uint8_t> ParseFontPitch(const std::string& text);
