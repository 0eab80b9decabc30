// SPDX-License-Identifier: GPL-3.0-or-later
// The font record: charset (1), colour (4), name length m (1), name (m),
// pitch (1), pixels per inch (4), size in points (4), style (1): 16 + m
// bytes.
#pragma once

#include <cstdint>

#include "run/text_font.h"
#include "settings/font_size.h"
#include "settings_io.h"

inline constexpr size_t kFontRecordFixedBytes = 16;

// Names longer than 255 bytes are cut at a character boundary: the length
// field is one byte.
void WriteSettingFont(SettingsOutput& file, const TextFont& font);
// False when the file ends inside the record; font is then unchanged.
[[nodiscard]] bool ReadSettingFont(SettingsInput& file, TextFont& font);
