// SPDX-License-Identifier: GPL-3.0-or-later
// The tiling grid: marks in rows, every other row shifted by half a step,
// the grid turned with the marks around the placed mark's centre.
//
// The grid is walked in its own (unturned) axes: the image's corners are
// turned back into grid coordinates, which bounds the rows and columns that
// can reach the image; each candidate is then turned forward and kept when
// its outline reaches the image. However dense the grid, the candidates stay
// close in number to the marks that reach the image, and none is kept.
#include <algorithm>
#include <cmath>

#include "run/mark_sprite.h"

namespace {

// A gap that is not a number or below 0 (which no job holds) counts as
// none: marks never overlap, so their count stays that of the image's area
// over a mark's.
double step_of(int64_t block, double gap) {
  const double g = std::isfinite(gap) ? std::max(0.0, gap) : 0;
  return double(block) + g;
}

}  // namespace

void ForEachTileCorner(int64_t image_width, int64_t image_height, const TileGrid& grid,
                       const std::function<void(const TileCorner&)>& visit) {
  const int64_t block_width = grid.block_width;
  const int64_t block_height = grid.block_height;
  if (image_width <= 0 || image_height <= 0 || block_width <= 0 || block_height <= 0 || grid.reach < 0)
    return;
  const double step_x = step_of(block_width, grid.gap_x);
  const double step_y = step_of(block_height, grid.gap_y);
  const MarkTurn turn = MarkTurnOf(grid.angle);
  const double anchor_x = double(grid.anchor_left) + double(block_width) / 2;
  const double anchor_y = double(grid.anchor_top) + double(block_height) / 2;

  // Half the turned block's bounding box, widened by the reach.
  const double extent_x =
      (double(block_width) * std::abs(turn.cos) + double(block_height) * std::abs(turn.sin)) / 2 +
      double(grid.reach);
  const double extent_y =
      (double(block_width) * std::abs(turn.sin) + double(block_height) * std::abs(turn.cos)) / 2 +
      double(grid.reach);

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
  if (!std::isfinite(i_first) || !std::isfinite(i_last) || !std::isfinite(j_first) || !std::isfinite(j_last))
    return;

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
      visit(TileCorner{int64_t(std::floor(cx - double(block_width) / 2 + 0.5)),
                       int64_t(std::floor(cy - double(block_height) / 2 + 0.5))});
    }
  }
}
