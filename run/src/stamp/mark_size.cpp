// SPDX-License-Identifier: GPL-3.0-or-later
// Relative sizes: one rounding rule (to the nearest pixel) for every size
// and the margin's own truncation toward zero.
#include "run/mark_size.h"

#include <algorithm>
#include <cmath>

namespace {

double clamp_percent(double percent, double low, double high, double not_a_number) {
  if (std::isnan(percent)) return not_a_number;
  return std::clamp(percent, low, high);
}

int64_t nearest_pixel(double value) { return std::max<int64_t>(1, int64_t(std::floor(value + 0.5))); }

}  // namespace

int64_t MarkMarginPixels(bool in_percent, double percent, int64_t margin, int64_t image_width,
                         int64_t image_height) {
  if (!in_percent) return margin;
  const double p = clamp_percent(percent, -100, 100, 0);
  return int64_t(std::trunc(p * double(std::min(image_width, image_height)) / 100));
}

MarkSize RelativePictureSize(RelativeTo relative, double percent, int64_t image_width, int64_t image_height,
                             int64_t picture_width, int64_t picture_height) {
  if ((relative != RelativeTo::kImageWidth && relative != RelativeTo::kShorterSide) || picture_width <= 0 ||
      picture_height <= 0)
    return MarkSize{picture_width, picture_height};
  const double p = clamp_percent(percent, 0.01, 1000, 100);
  const int64_t base =
      relative == RelativeTo::kImageWidth ? image_width : std::min(image_width, image_height);
  MarkSize size;
  size.width = nearest_pixel(p * double(base) / 100);
  size.height = nearest_pixel(double(size.width) * double(picture_height) / double(picture_width));
  return size;
}

int64_t RelativeTextPixelSize(double percent, int64_t image_height) {
  return nearest_pixel(clamp_percent(percent, 0.01, 1000, 100) * double(image_height) / 100);
}

double TileGapPixels(const TileOptions& tile, bool horizontal, int64_t image_width, int64_t image_height,
                     int64_t block_width, int64_t block_height) {
  const double gap = horizontal ? tile.gap_x : tile.gap_y;
  if (!std::isfinite(gap)) return 0;
  if (tile.gap_in_mark_percent) return gap * double(horizontal ? block_width : block_height) / 100;
  if (tile.gap_in_percent) return gap * double(horizontal ? image_width : image_height) / 100;
  return gap;
}
