// The watermark options past the plain passes, as one value: what a
// settings file's option block and the form-state store's own section
// keep. All off by default; with all off neither is written.
#pragma once

#include "run/watermark_extras.h"

struct WatermarkOptions {
  PictureExtras picture;
  TextExtras text;
  bool any() const { return picture.any() || text.any(); }
};
