// Blends the picture watermark into a 24-bit image.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"
#include "run/watermark_extras.h"

struct PictureStampSettings {
  int position = 9;       // placement index 0..10
  int64_t margin = 20;    // pixels
  int transparency = 50;  // 0..100; values outside are taken as the nearest end
  PictureExtras extras;   // all off: the plain pass
};

// image and watermark are 24-bit records; anything else is left alone, as is
// an image for which PlaceBlock finds no valid placement. Each covered image
// byte becomes (image * t + watermark * (100 - t)) / 100; the watermark is
// sampled nearest-neighbour at (x - left) / scale, truncated toward zero.
void StampPicture(TDibImage& image, const TDibImage& watermark, const PictureStampSettings& settings);
