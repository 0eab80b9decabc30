// SPDX-License-Identifier: GPL-3.0-or-later
// Promotion of 1, 4, 8 and 16-bit records to 24 bits, and the handling of
// 32-bit records around the 24-bit passes.
#pragma once

#include <cstdint>
#include <vector>

#include "pixkit/pixkit.h"

// Replaces image by a 24-bit copy when it has 1, 4, 8 or 16 bits; leaves
// 24- and 32-bit images (and images that cannot be converted) unchanged.
void DepthUpTo(TDibImage& image, int depth);

// The alpha bytes of a 32-bit picture, kept while it is stamped at 24 bits.
struct AlphaPlane {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> alpha;  // top row first
  bool empty() const { return alpha.empty(); }
};

// A 32-bit image becomes 24 bits and its alpha is returned; other images
// are left alone and the plane is empty.
AlphaPlane SetAlphaAside(TDibImage& image);
// Brings a 24-bit image back to 32 bits with the alpha set aside before.
void RestoreAlpha(TDibImage& image, const AlphaPlane& plane);
// A 32-bit image becomes 24 bits composed over white (for watermark pictures
// with transparency); other images are left alone.
void FlattenOverWhite(TDibImage& image);
