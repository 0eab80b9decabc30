// SPDX-License-Identifier: GPL-3.0-or-later
// Sizes and distances given relative to the image, turned into pixels.
#pragma once

#include <cstdint>

#include "run/mark_options.h"

// The margin in pixels: the given margin, or with in_percent that
// percentage of the image's shorter side, truncated toward zero. Percentages
// outside -100..100 are taken as the nearest end, one that is not a number
// as 0.
int64_t MarkMarginPixels(bool in_percent, double percent, int64_t margin, int64_t image_width,
                         int64_t image_height);

// A picture of picture_width x picture_height sized relative to the image:
// its width is the percentage of the image width (kImageWidth) or of the
// shorter side (kShorterSide), rounded to the nearest pixel, and its height
// keeps the proportions (rounded likewise); both at least 1. Percentages
// outside 0.01..1000 are taken as the nearest end, one that is not a number
// as 100. Any other RelativeTo keeps the picture's own size.
struct MarkSize {
  int64_t width = 0;
  int64_t height = 0;
};
MarkSize RelativePictureSize(RelativeTo relative, double percent, int64_t image_width, int64_t image_height,
                             int64_t picture_width, int64_t picture_height);

// The text's character height (the font's pixel size) as a percentage of
// the image height, rounded to the nearest pixel, at least 1; percentages
// as for the picture.
int64_t RelativeTextPixelSize(double percent, int64_t image_height);

// A tiling gap in pixels: as given, or that percentage of the mark's block
// (gap_in_mark_percent) or of the image (gap_in_percent) along the same axis
// (width for gap_x, height for gap_y). A gap that is not a finite number
// counts as 0.
double TileGapPixels(const TileOptions& tile, bool horizontal, int64_t image_width, int64_t image_height,
                     int64_t block_width, int64_t block_height);
