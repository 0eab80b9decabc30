// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/rgba_pixels.h"

#include <cstdlib>

namespace testsupport {

Rgba pixels_of(const TDibImage& dib) {
  Rgba out;
  if (!dib.Info || !dib.Bits) return out;
  out.width = dib.Info->bmiHeader.biWidth;
  out.height = dib.Info->bmiHeader.biHeight;
  const int bits = dib.Info->bmiHeader.biBitCount;
  out.channels = bits == 32 ? 4 : 3;
  out.pixels.reserve(size_t(out.width) * out.height * out.channels);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const uint32_t v = getpixel(&dib, x, y);
      if (bits <= 8) {
        const PixkitPaletteEntry& e = dib.LogPalette.palPalEntry[v];
        out.pixels.insert(out.pixels.end(), {e.peRed, e.peGreen, e.peBlue});
      } else {
        out.pixels.insert(out.pixels.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)});
        if (bits == 32) out.pixels.push_back(uint8_t(v >> 24));
      }
    }
  return out;
}

TDibImage make_pattern(int width, int height, int bit_count) {
  PixkitBitmapInfo palette{};
  const int colours = bit_count <= 8 ? 1 << bit_count : 0;
  for (int i = 0; i < colours; ++i)
    palette.bmiColors[i] =
        PixkitRgbQuad{uint8_t(255 - i), uint8_t((i * 37) & 255), uint8_t((i * 91 + 7) & 255), 0};
  TDibImage dib = newdib(width, height, bit_count, colours ? &palette : nullptr, colours);
  if (!dib.Bits) return dib;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t v;
      if (bit_count <= 8) {
        v = uint32_t((x * 7 + y * 3) % colours);
      } else {
        const uint32_t r = uint32_t(x * 255 / (width > 1 ? width - 1 : 1));
        const uint32_t g = uint32_t(y * 255 / (height > 1 ? height - 1 : 1));
        const uint32_t b = uint32_t((x * 13 + y * 29) & 255);
        v = r | (g << 8) | (b << 16);
        if (bit_count == 32) v |= uint32_t((x + y * 5) % 256) << 24;
      }
      setpixel(&dib, x, y, v);
    }
  return dib;
}

Rgba test_picture(int width, int height, int colours, int channels) {
  Rgba p{width, height, channels, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (colours > 0) {
        const int i = (x * 5 + y * 3) % colours;
        p.pixels.insert(p.pixels.end(),
                        {uint8_t(i * 40 + 15), uint8_t(255 - i * 17), uint8_t((i * 97) & 255)});
      } else {
        p.pixels.insert(p.pixels.end(), {uint8_t(x * 9), uint8_t(y * 11 + 3), uint8_t((x * y * 7) & 255)});
      }
      if (channels == 4) p.pixels.push_back(uint8_t(x * 20 + y));
    }
  return p;
}

int max_channel_difference(const Rgba& a, const Rgba& b) {
  if (a.width != b.width || a.height != b.height || a.channels != b.channels) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const int d = std::abs(int(a.pixels[i]) - int(b.pixels[i]));
    if (d > worst) worst = d;
  }
  return worst;
}

}  // namespace testsupport
