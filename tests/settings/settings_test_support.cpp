// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_test_support.h"

#include <cstring>

namespace settings_test {

Bytes& Bytes::u8(uint8_t v) {
  bytes_.push_back(v);
  return *this;
}

Bytes& Bytes::i32(int32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(uint32_t(v) >> (8 * i)));
  return *this;
}

Bytes& Bytes::f64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) bytes_.push_back(uint8_t(bits >> (8 * i)));
  return *this;
}

Bytes& Bytes::text(const std::string& s) {
  bytes_.insert(bytes_.end(), s.begin(), s.end());
  return *this;
}

Bytes& Bytes::string(const std::string& s) { return i32(int32_t(s.size())).text(s); }

Bytes& Bytes::zeros(size_t n) {
  bytes_.insert(bytes_.end(), n, 0);
  return *this;
}

Bytes& picture_header(Bytes& b, int32_t width, int32_t height, int bit_count) {
  const int32_t row_bytes = (width * bit_count + 31) / 32 * 4;
  b.i32(40).i32(width).i32(height).u8(1).u8(0).u8(uint8_t(bit_count)).u8(0);
  return b.i32(0).i32(row_bytes * height).i32(0).i32(0).i32(0).i32(0);
}

SettingsFileContent content_with_picture(int width, int height) {
  SettingsFileContent content;
  content.watermark = newdib(width, height, 24, nullptr, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      setpixel(&content.watermark, x, y, uint32_t(x) | uint32_t(y) << 8 | 7u << 16);
  }
  content.font = TextFont{};
  return content;
}

}  // namespace settings_test
