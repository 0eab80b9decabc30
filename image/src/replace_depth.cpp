#include "image/replace_depth.h"

#include "image/dib_access.h"

TDibImage NewDibLike(const TDibImage& image, int bits) {
  TDibImage target = newdib(DibWidth(image), DibHeight(image), bits, nullptr, 0);
  if (!target.Storage || !target.Bits || !target.Info) return target;
  // The savers write the resolution from the header; the source file's
  // value must survive the change of depth.
  target.Info->bmiHeader.biXPelsPerMeter = image.Info->bmiHeader.biXPelsPerMeter;
  target.Info->bmiHeader.biYPelsPerMeter = image.Info->bmiHeader.biYPelsPerMeter;
  return target;
}

void ReplaceDib(TDibImage& image, const TDibImage& target) {
  deldib(&image);
  image = target;
}
