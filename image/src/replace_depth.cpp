// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/replace_depth.h"

#include <cstring>

#include "image/dib_access.h"

TDibImage NewDibLike(const TDibImage& image, int bits) {
  TDibImage target = newdib(DibWidth(image), DibHeight(image), bits, nullptr, 0);
  if (!target.Storage || !target.Bits || !target.Info) return target;
  // The savers write the resolution from the header; the source file's
  // value must survive the change of depth.
  target.Info->bmiHeader.biXPelsPerMeter = image.Info->bmiHeader.biXPelsPerMeter;
  target.Info->bmiHeader.biYPelsPerMeter = image.Info->bmiHeader.biYPelsPerMeter;
  // So does the EXIF block and colour profile of a PNG, WebP or AVIF source
  // whose alpha is set aside. Only the JPEG writer has ever written them,
  // and JPEG sources never change depth, so no older output changes.
  PixkitCopyMetadata(&image, &target);
  return target;
}

TDibImage CopyDib(const TDibImage& image) {
  const int bit_count = DibBitCount(image);
  if (bit_count != 24 && bit_count != 32) return TDibImage{};
  if (!DibHoldsPixels(image, bit_count)) return TDibImage{};
  TDibImage copy = NewDibLike(image, bit_count);
  if (copy.Bits == nullptr) return copy;
  // Same size and depth, so the same row stride: the rows copy in one go.
  std::memcpy(copy.Bits, image.Bits, size_t(copy.RowBytes) * size_t(DibHeight(copy)));
  return copy;
}

void ReplaceDib(TDibImage& image, const TDibImage& target) {
  deldib(&image);
  image = target;
}
