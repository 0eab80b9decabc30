// SPDX-License-Identifier: GPL-3.0-or-later
// 32-bit records around the 24-bit stamping passes: the alpha channel is set
// aside while the colours are stamped and put back untouched afterwards, and
// watermark pictures with transparency are composed over white once.
#include <cstdint>

#include "image/depth_up.h"
#include "image/dib_access.h"
#include "image/replace_depth.h"

namespace {

// Same order as every depth change: make, check, fill, release, replace.
// fill(source_row, target_row, width) works on one image row.
template <typename FillRow>
bool replace_with_depth(TDibImage& image, int bits, FillRow fill) {
  const int32_t width = DibWidth(image);
  const int32_t height = DibHeight(image);
  TDibImage target = NewDibLike(image, bits);
  if (!target.Storage || !target.Bits) return false;
  for (int32_t y = 0; y < height; ++y) fill(y, DibRow(image, y), DibRow(target, y), width);
  ReplaceDib(image, target);
  return true;
}

}  // namespace

AlphaPlane SetAlphaAside(TDibImage& image) {
  AlphaPlane plane;
  if (!DibHoldsPixels(image, 32)) return plane;
  const int32_t width = DibWidth(image);
  const int32_t height = DibHeight(image);
  std::vector<uint8_t> alpha;
  try {
    alpha.resize(size_t(width) * size_t(height));
  } catch (...) {
    return plane;  // no room: the picture stays at 32 bits and is not stamped
  }
  const bool replaced =
      replace_with_depth(image, 24, [&](int32_t y, const uint8_t* in, uint8_t* out, int32_t w) {
        uint8_t* a = alpha.data() + size_t(y) * size_t(w);
        for (int32_t x = 0; x < w; ++x) {
          out[3 * x] = in[4 * x];
          out[3 * x + 1] = in[4 * x + 1];
          out[3 * x + 2] = in[4 * x + 2];
          a[x] = in[4 * x + 3];
        }
      });
  if (!replaced) return plane;
  plane.width = width;
  plane.height = height;
  plane.alpha = std::move(alpha);
  return plane;
}

void RestoreAlpha(TDibImage& image, const AlphaPlane& plane) {
  if (plane.empty() || !DibHoldsPixels(image, 24)) return;
  if (plane.width != DibWidth(image) || plane.height != DibHeight(image)) return;
  if (plane.alpha.size() != size_t(plane.width) * size_t(plane.height)) return;
  replace_with_depth(image, 32, [&](int32_t y, const uint8_t* in, uint8_t* out, int32_t w) {
    const uint8_t* a = plane.alpha.data() + size_t(y) * size_t(w);
    for (int32_t x = 0; x < w; ++x) {
      out[4 * x] = in[3 * x];
      out[4 * x + 1] = in[3 * x + 1];
      out[4 * x + 2] = in[3 * x + 2];
      out[4 * x + 3] = a[x];
    }
  });
}

// Colours of 32-bit records are not premultiplied: a pixel shows
// colour * alpha + background * (1 - alpha), rounded to the nearest byte.
void FlattenOverWhite(TDibImage& image) {
  if (!DibHoldsPixels(image, 32)) return;
  replace_with_depth(image, 24, [](int32_t, const uint8_t* in, uint8_t* out, int32_t w) {
    for (int32_t x = 0; x < w; ++x) {
      const unsigned a = in[4 * x + 3];
      for (int c = 0; c < 3; ++c) {
        const unsigned v = in[4 * x + c] * a + 255u * (255u - a);
        out[3 * x + c] = uint8_t((v + 127u) / 255u);
      }
    }
  });
}
