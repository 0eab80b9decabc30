// SPDX-License-Identifier: GPL-3.0-or-later
// The tiling grid: marks in rows, every other row shifted by half a step,
// the grid turned with the marks around the placed mark's centre.
//
// The grid is walked in its own (unturned) axes: the image's corners are
// turned back into grid coordinates, which bounds the rows and columns that
// can reach the image; each candidate is then turned forward and kept when
// its outline reaches the image.
#include <algorithm>
#include <cmath>
#include <vector>

#include "image/dib_access.h"
#include "run/mark_size.h"
#include "run/mark_sprite.h"
#include "stamp_options.h"

namespace {

// Gaps as given may be anything a settings file holds; a gap that is not a
// number counts as none, and a step is at least one pixel.
double step_of(int64_t block, double gap) {
  const double g = std::isfinite(gap) ? gap : 0;
  return std::max(1.0, double(block) + g);
}

}  // namespace

std::vector<TileCorner> TileCorners(int64_t image_width, int64_t image_height, int64_t anchor_left,
                                    int64_t anchor_top, int64_t block_width, int64_t block_height,
                                    double gap_x, double gap_y, double angle, int64_t reach) {
  std::vector<TileCorner> corners;
  if (image_width <= 0 || image_height <= 0 || block_width <= 0 || block_height <= 0 || reach < 0)
    return corners;
  const double step_x = step_of(block_width, gap_x);
  const double step_y = step_of(block_height, gap_y);
  const MarkTurn turn = MarkTurnOf(angle);
  const double anchor_x = double(anchor_left) + double(block_width) / 2;
  const double anchor_y = double(anchor_top) + double(block_height) / 2;
  // Half the turned block's bounding box, widened by the reach.
  const double extent_x =
      (double(block_width) * std::abs(turn.cos) + double(block_height) * std::abs(turn.sin)) / 2 +
      double(reach);
  const double extent_y =
      (double(block_width) * std::abs(turn.sin) + double(block_height) * std::abs(turn.cos)) / 2 +
      double(reach);

  // The image in grid coordinates: the inverse turn of each corner.
  double gx0 = INFINITY, gx1 = -INFINITY, gy0 = INFINITY, gy1 = -INFINITY;
  for (const double x : {0.0, double(image_width)}) {
    for (const double y : {0.0, double(image_height)}) {
      const double qx = x - anchor_x, qy = y - anchor_y;
      const double gx = qx * turn.cos - qy * turn.sin;
      const double gy = qx * turn.sin + qy * turn.cos;
      gx0 = std::min(gx0, gx);
      gx1 = std::max(gx1, gx);
      gy0 = std::min(gy0, gy);
      gy1 = std::max(gy1, gy);
    }
  }
  const double radius = std::hypot(extent_x, extent_y);
  const double i_first = std::floor((gx0 - radius - step_x / 2) / step_x);
  const double i_last = std::ceil((gx1 + radius) / step_x);
  const double j_first = std::floor((gy0 - radius) / step_y);
  const double j_last = std::ceil((gy1 + radius) / step_y);
  if (!((i_last - i_first + 1) * (j_last - j_first + 1) <= double(kMaxTileCount))) return corners;

  for (int64_t j = int64_t(j_first); j <= int64_t(j_last); ++j) {
    const double gy = double(j) * step_y;
    const double shift = (j & 1) != 0 ? step_x / 2 : 0;
    for (int64_t i = int64_t(i_first); i <= int64_t(i_last); ++i) {
      const double gx = double(i) * step_x + shift;
      const double cx = anchor_x + gx * turn.cos + gy * turn.sin;
      const double cy = anchor_y - gx * turn.sin + gy * turn.cos;
      if (cx - extent_x >= double(image_width) || cx + extent_x <= 0 ||
          cy - extent_y >= double(image_height) || cy + extent_y <= 0)
        continue;
      corners.push_back(TileCorner{int64_t(std::floor(cx - double(block_width) / 2 + 0.5)),
                                   int64_t(std::floor(cy - double(block_height) / 2 + 0.5))});
    }
  }
  return corners;
}

void LayMark(TDibImage& image, MarkSprite& mark, int64_t left, int64_t top, int64_t block_width,
             int64_t block_height, const TileOptions& tile, double angle) {
  if (!tile.enabled) {
    BlendMarkSprite(image, mark, left - mark.block_left, top - mark.block_top);
    return;
  }
  PrepareRepeatedBlend(mark);
  const int64_t width = DibWidth(image);
  const int64_t height = DibHeight(image);
  const int64_t reach =
      std::max({mark.block_left, mark.block_top, mark.width - mark.block_left - mark.block_width,
                mark.height - mark.block_top - mark.block_height, int64_t(0)});
  std::vector<TileCorner> corners = TileCorners(width, height, left, top, block_width, block_height,
                                                TileGapPixels(tile, true, width, height),
                                                TileGapPixels(tile, false, width, height), angle, reach);
  if (corners.empty()) corners.push_back(TileCorner{left, top});
  for (const TileCorner& corner : corners)
    BlendMarkSprite(image, mark, corner.left - mark.block_left, corner.top - mark.block_top);
}
