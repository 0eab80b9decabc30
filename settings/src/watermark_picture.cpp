#include "settings/watermark_picture.h"

#include "image/depth_up.h"
#include "image/dib_access.h"

TDibImage LoadWatermarkPicture(const std::string& path, void* owner) {
  TDibImage picture = OpenDib(path.c_str(), 0, owner);
  if (picture.Bits == nullptr) return TDibImage{};
  FlattenOverWhite(picture);
  DepthUpTo(picture, 24);
  // The stamping pass reads three bytes a pixel: a picture that stayed at
  // another depth (no room for the copy) counts as not loaded.
  if (picture.Bits == nullptr || DibBitCount(picture) != 24) {
    deldib(&picture);
    return TDibImage{};
  }
  return picture;
}
