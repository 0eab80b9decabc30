// SPDX-License-Identifier: GPL-3.0-or-later
// Promotion of palette and 5-5-5 records to 24 bits per pixel.
//
// Every depth change follows the same order so that callers can rely on it:
// make the target, give up with the image untouched when the library cannot
// make it, fill it, release the source, copy the target over the caller's
// record. The source is released only once the target is complete.
#include "image/depth_up.h"

#include <array>
#include <cstdint>

#include "image/dib_access.h"
#include "image/replace_depth.h"

namespace {

struct Bgr {
  uint8_t blue, green, red;
};

// Palette colours come from the record's LogPalette copy only, never from the
// header's colour table: that is the copy the palette handle was made from,
// and the two may disagree in a record a settings file or a loader filled.
std::array<Bgr, 256> palette_colours(const TDibImage& image) {
  std::array<Bgr, 256> colours{};
  for (int i = 0; i < 256; ++i) {
    const PixkitPaletteEntry& e = image.LogPalette.palPalEntry[i];
    colours[size_t(i)] = Bgr{e.peBlue, e.peGreen, e.peRed};
  }
  return colours;
}

inline void put(uint8_t* pixel, const Bgr& c) {
  pixel[0] = c.blue;
  pixel[1] = c.green;
  pixel[2] = c.red;
}

// One-bit pictures go through the library's pixel access, which knows the
// bit order inside a byte; they are rare and small.
void fill_from_1bit(const TDibImage& source, const TDibImage& target, int32_t width, int32_t height) {
  const PixkitPaletteEntry& e0 = source.LogPalette.palPalEntry[0];
  const PixkitPaletteEntry& e1 = source.LogPalette.palPalEntry[1];
  const uint32_t c0 = e0.peRed + 256u * e0.peGreen + 65536u * e0.peBlue;
  const uint32_t c1 = e1.peRed + 256u * e1.peGreen + 65536u * e1.peBlue;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t v = getpixel(&source, x, y);
      setpixel(&target, x, y, v == 0 ? c0 : c1);
    }
  }
}

void fill_from_4bit(const TDibImage& source, const TDibImage& target, int32_t width, int32_t height) {
  const std::array<Bgr, 256> colours = palette_colours(source);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* in = source.Bits + int64_t(r) * source.RowBytes;
    uint8_t* out = target.Bits + int64_t(r) * target.RowBytes;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t byte = in[x / 2];
      // Even columns sit in the high nibble.
      const unsigned index = (x & 1) ? (byte & 15u) : (byte >> 4);
      put(out + 3 * int64_t(x), colours[index]);
    }
  }
}

void fill_from_8bit(const TDibImage& source, const TDibImage& target, int32_t width, int32_t height) {
  const std::array<Bgr, 256> colours = palette_colours(source);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* in = source.Bits + int64_t(r) * source.RowBytes;
    uint8_t* out = target.Bits + int64_t(r) * target.RowBytes;
    for (int32_t x = 0; x < width; ++x) put(out + 3 * int64_t(x), colours[in[x]]);
  }
}

// 5-5-5 words, bit 15 ignored. Each field is shifted left by 3 without
// filling the low bits, so a full field gives 248, not 255: pictures that
// went through this conversion before must keep their colours.
void fill_from_16bit(const TDibImage& source, const TDibImage& target, int32_t width, int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* in = source.Bits + int64_t(r) * source.RowBytes;
    uint8_t* out = target.Bits + int64_t(r) * target.RowBytes;
    for (int32_t x = 0; x < width; ++x) {
      const unsigned w = unsigned(in[2 * x]) | (unsigned(in[2 * x + 1]) << 8);
      uint8_t* p = out + 3 * int64_t(x);
      p[0] = uint8_t((w & 31u) << 3);
      p[1] = uint8_t(((w >> 5) & 31u) << 3);
      p[2] = uint8_t(((w >> 10) & 31u) << 3);
    }
  }
}

}  // namespace

void DepthUpTo(TDibImage& image, int depth) {
  // 24 bits is the only target the stamping passes need.
  if (depth != 24 || !image.Info || !image.Bits) return;
  const int32_t width = DibWidth(image);
  const int32_t height = DibHeight(image);
  const int bits = DibBitCount(image);
  // 24 bits is already the target; 32 bits (and anything unknown) has no
  // conversion here. Neither makes a target, so nothing can be left behind.
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16) return;

  TDibImage target = NewDibLike(image, 24);
  if (!target.Storage || !target.Bits) return;

  switch (bits) {
    case 1:
      fill_from_1bit(image, target, width, height);
      break;
    case 4:
      fill_from_4bit(image, target, width, height);
      break;
    case 8:
      fill_from_8bit(image, target, width, height);
      break;
    default:
      fill_from_16bit(image, target, width, height);
      break;
  }
  ReplaceDib(image, target);
}
