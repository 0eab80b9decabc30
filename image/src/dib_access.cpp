// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/dib_access.h"

int32_t DibWidth(const TDibImage& image) { return image.Info ? image.Info->bmiHeader.biWidth : 0; }

int32_t DibHeight(const TDibImage& image) { return image.Info ? image.Info->bmiHeader.biHeight : 0; }

int DibBitCount(const TDibImage& image) { return image.Info ? image.Info->bmiHeader.biBitCount : 0; }

bool DibHoldsPixels(const TDibImage& image, int bit_count) {
  return image.Info && image.Bits && DibBitCount(image) == bit_count && DibWidth(image) > 0 &&
         DibHeight(image) > 0;
}

uint64_t DibColorCount(const TDibImage& image) {
  uint64_t count = 1;
  const int bits = DibBitCount(image);
  for (int i = 0; i < bits && i < 32; ++i) count *= 2;
  return count;
}
