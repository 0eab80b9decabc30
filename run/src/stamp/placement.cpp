// SPDX-License-Identifier: GPL-3.0-or-later
// The placement table: nine fixed placements and two scaled ones.
#include "run/placement.h"

namespace {

constexpr int64_t kMaxSize = (int64_t(1) << 31) - 1;
constexpr int64_t kMaxMargin = int64_t(1) << 30;

// Centres span inside room + 2 * margin, offset by margin. C++ division
// truncates toward zero: (100 - 105) / 2 is -2, as the table wants.
int64_t centred(int64_t room, int64_t margin, int64_t span) {
  return (room - 2 * margin - span) / 2 + margin;
}

// Placements 9 and 10: one scale, taken from the widths, serves both axes.
BlockPlacement place_scaled(bool covering, int64_t image_width, int64_t image_height, int64_t block_width,
                            int64_t block_height, int64_t margin_x, int64_t margin_y) {
  BlockPlacement p;
  const int64_t box_width = image_width - 2 * margin_x;
  const int64_t box_height = image_height - 2 * margin_y;
  if (box_width <= 0 || box_height <= 0 || block_width <= 0 || block_height <= 0) return p;
  int64_t nw = box_width;
  int64_t nh = nw * block_height / block_width;
  // Equal heights keep the first result for both placements.
  if (covering ? nh < box_height : nh > box_height) {
    nh = box_height;
    nw = nh * block_width / block_height;
  }
  if (nw <= 0 || nh <= 0) return p;
  p.valid = true;
  p.left = (box_width - nw) / 2 + margin_x;
  p.top = (box_height - nh) / 2 + margin_y;
  p.width = nw;
  p.height = nh;
  p.scale = double(nw) / double(block_width);
  return p;
}

}  // namespace

BlockPlacement PlaceBlock(int position, int64_t image_width, int64_t image_height, int64_t block_width,
                          int64_t block_height, int64_t margin) {
  return PlaceBlockXY(position, image_width, image_height, block_width, block_height, margin, margin);
}

BlockPlacement PlaceBlockXY(int position, int64_t image_width, int64_t image_height, int64_t block_width,
                            int64_t block_height, int64_t margin_x, int64_t margin_y) {
  BlockPlacement p;
  const auto in_range = [](int64_t v) { return v >= 0 && v <= kMaxSize; };
  const auto margin_in_range = [](int64_t m) { return m >= -kMaxMargin && m <= kMaxMargin; };
  if (!in_range(image_width) || !in_range(image_height) || !in_range(block_width) ||
      !in_range(block_height) || !margin_in_range(margin_x) || !margin_in_range(margin_y))
    return p;
  if (position == kPlacementFitted || position == kPlacementCovering)
    return place_scaled(position == kPlacementCovering, image_width, image_height, block_width, block_height,
                        margin_x, margin_y);
  if (position < 0 || position > 8) return p;

  const int column = position % 3;  // 0 left, 1 middle, 2 right
  const int row = position / 3;     // 0 top, 1 middle, 2 bottom
  p.left = column == 0   ? margin_x
           : column == 1 ? centred(image_width, margin_x, block_width)
                         : image_width - margin_x - block_width;
  p.top = row == 0   ? margin_y
          : row == 1 ? centred(image_height, margin_y, block_height)
                     : image_height - margin_y - block_height;
  p.width = block_width;
  p.height = block_height;
  p.scale = 1.0;
  p.valid = true;
  return p;
}
