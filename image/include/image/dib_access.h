// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an image record's header.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"

int32_t DibWidth(const TDibImage& image);
int32_t DibHeight(const TDibImage& image);
int DibBitCount(const TDibImage& image);
// True when the record holds pixels (header and Bits) of a picture at least
// one pixel wide and high at this bit count.
bool DibHoldsPixels(const TDibImage& image, int bit_count);
// 2 to the power of the bit count, by doubling; saturates at 2^32 so a
// 32-bit image does not overflow.
uint64_t DibColorCount(const TDibImage& image);

// Memory row of image row y (counted from the top).
inline uint8_t* DibRow(const TDibImage& image, int32_t y) {
  return image.Bits + int64_t(DibHeight(image) - 1 - y) * image.RowBytes;
}
