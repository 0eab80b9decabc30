// SPDX-License-Identifier: GPL-3.0-or-later
// The setting string: a signed 32-bit length n, then n bytes without
// terminator.
#pragma once

#include <string>

#include "settings_io.h"

void WriteSettingString(SettingsOutput& file, const std::string& text);
// False when the file ends early or the length is negative or larger than
// what is left of the file; text is then unchanged.
[[nodiscard]] bool ReadSettingString(SettingsInput& file, std::string& text);
// A setting string that names a file or folder. UTF-8 bytes are kept as
// they are; other bytes too when they name an existing file as they are
// (a relative name taken from folder, as the run opens it); otherwise they
// are read as Windows-1252.
[[nodiscard]] bool ReadSettingPath(SettingsInput& file, const std::string& folder, std::string& path);
