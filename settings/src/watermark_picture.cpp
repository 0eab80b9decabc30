// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/watermark_picture.h"

#include "image/depth_up.h"
#include "image/dib_access.h"
#include "image/replace_depth.h"

TDibImage LoadWatermarkPicture(const std::string& path, void* owner, bool keep_alpha, int* reason) {
  int why = PIXKIT_REASON_NONE;
  TDibImage picture = OpenDibEx(path.c_str(), 0, owner, &why);
  if (reason != nullptr) *reason = why;
  if (picture.Bits == nullptr) return TDibImage{};
  if (!keep_alpha) FlattenOverWhite(picture);
  DepthUpTo(picture, 24);
  // The stamping pass reads three bytes a pixel (four with the alpha kept):
  // a picture that stayed at another depth (no room for the copy) counts as
  // not loaded.
  const int bits = picture.Bits == nullptr ? 0 : DibBitCount(picture);
  if (bits != 24 && !(keep_alpha && bits == 32)) {
    if (reason != nullptr) *reason = PIXKIT_REASON_TOO_LARGE;  // no room for the copy
    deldib(&picture);
    return TDibImage{};
  }
  return picture;
}

WatermarkPictures SplitWatermarkPicture(TDibImage picture) {
  WatermarkPictures pictures;
  if (DibHoldsPixels(picture, 24)) {
    pictures.flattened = picture;
    return pictures;
  }
  if (DibHoldsPixels(picture, 32)) {
    TDibImage flattened = CopyDib(picture);
    FlattenOverWhite(flattened);
    if (DibHoldsPixels(flattened, 24)) {
      pictures.flattened = flattened;
      pictures.with_alpha = picture;
      return pictures;
    }
    deldib(&flattened);
  }
  deldib(&picture);
  return pictures;
}
