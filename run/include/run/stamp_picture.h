// Blends the picture watermark into a 24-bit image.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"

struct PictureStampSettings {
  int position = 9;        // placement index 0..10
  int64_t margin = 20;     // pixels
  int transparency = 50;   // 0..100
};

// image and watermark are 24-bit records; anything else is left alone.
void StampPicture(TDibImage& image, const TDibImage& watermark, const PictureStampSettings& settings);
