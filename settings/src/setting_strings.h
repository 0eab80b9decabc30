// The setting string: a signed 32-bit length n, then n bytes without
// terminator.
#pragma once

#include <string>

#include "settings_io.h"

void WriteSettingString(SettingsOutput& file, const std::string& text);
// False when the file ends early or the length is negative or larger than
// what is left of the file; text is then unchanged.
[[nodiscard]] bool ReadSettingString(SettingsInput& file, std::string& text);
