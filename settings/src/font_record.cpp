// SPDX-License-Identifier: GPL-3.0-or-later
#include "font_record.h"

#include <limits>
#include <string>

#include "text_encoding.h"

int32_t FontHeightFromSize(int32_t size, int32_t pixels_per_inch) {
  const int64_t product = int64_t(size) * pixels_per_inch;
  const int64_t magnitude = product < 0 ? -product : product;
  const int64_t rounded = (magnitude * 2 + 72) / 144;  // half away from zero
  int64_t height = product < 0 ? rounded : -rounded;
  if (height > std::numeric_limits<int32_t>::max()) height = std::numeric_limits<int32_t>::max();
  if (height < std::numeric_limits<int32_t>::min()) height = std::numeric_limits<int32_t>::min();
  return int32_t(height);
}

int32_t FontSizeFromHeight(int32_t height, int32_t pixels_per_inch) {
  if (pixels_per_inch == 0) return 0;
  const int64_t product = -int64_t(height) * 72;
  const int64_t divisor = pixels_per_inch;
  const bool negative = (product < 0) != (divisor < 0);
  const int64_t a = product < 0 ? -product : product;
  const int64_t b = divisor < 0 ? -divisor : divisor;
  const int64_t rounded = (a * 2 + b) / (b * 2);  // half away from zero
  const int64_t size = negative ? -rounded : rounded;
  if (size > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (size < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return int32_t(size);
}

void WriteSettingFont(SettingsOutput& file, const TextFont& font) {
  const std::string name = CutUtf8(font.name, 255);
  file.u8(font.charset);
  file.i32(font.color);
  file.u8(uint8_t(name.size()));
  file.bytes(name.data(), name.size());
  file.u8(font.pitch);
  file.i32(font.pixels_per_inch);
  file.i32(font.size);
  file.u8(font.style);
}

bool ReadSettingFont(SettingsInput& file, TextFont& font) {
  TextFont read = font;
  uint8_t name_length;
  if (!file.u8(read.charset) || !file.i32(read.color) || !file.u8(name_length)) return false;
  std::string name(name_length, '\0');
  if (!file.bytes(name.data(), name.size())) return false;
  read.name = DecodeSettingBytes(name);
  // The pixels per inch are set before the size, so the height follows
  // from the size at the stored resolution.
  if (!file.u8(read.pitch) || !file.i32(read.pixels_per_inch) || !file.i32(read.size) ||
      !file.u8(read.style)) {
    return false;
  }
  read.height = FontHeightFromSize(read.size, read.pixels_per_inch);
  font = read;
  return true;
}
