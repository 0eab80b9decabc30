// The font record: charset (1), colour (4), name length m (1), name (m),
// pitch (1), pixels per inch (4), size in points (4), style (1): 16 + m
// bytes.
#pragma once

#include <cstdint>

#include "run/text_font.h"
#include "settings_io.h"

inline constexpr size_t kFontRecordFixedBytes = 16;

// Names longer than 255 bytes are cut at a character boundary: the length
// field is one byte.
void WriteSettingFont(SettingsOutput& file, const TextFont& font);
// False when the file ends inside the record; font is then unchanged.
[[nodiscard]] bool ReadSettingFont(SettingsInput& file, TextFont& font);

// Character height from size and pixels per inch, as the platform's font
// sets it: -(size * ppi / 72) rounded half away from zero.
int32_t FontHeightFromSize(int32_t size, int32_t pixels_per_inch);
