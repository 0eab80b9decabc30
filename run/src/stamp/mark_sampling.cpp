// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling a scaled and turned mark from windows of its source.
//
// Each laid pixel's centre is taken back into the source. The bilinear taps
// are weighted by the source weights (premultiplied), so a transparent
// neighbour lends no colour: the edges of a turned mark fade instead of
// darkening. The arithmetic is the same for every piece, so a mark sampled
// in pieces has the pixels of one sampled whole.
#include "mark_sampling.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "mark_taps.h"
#include "mark_turned_rows.h"

namespace {

// Boxes beyond this many pixels on a side are not laid: no image has them,
// and every coordinate stays far inside what a double holds exactly.
constexpr double kMaxBoxSide = double(int64_t(1) << 40);

// The smallest box around the points added.
struct Bounds {
  double x0 = std::numeric_limits<double>::infinity();
  double y0 = std::numeric_limits<double>::infinity();
  double x1 = -std::numeric_limits<double>::infinity();
  double y1 = -std::numeric_limits<double>::infinity();
  void add(double x, double y) {
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
  }
  bool sane() const {
    return std::abs(x0) < kMaxBoxSide && std::abs(y0) < kMaxBoxSide && std::abs(x1) < kMaxBoxSide &&
           std::abs(y1) < kMaxBoxSide;
  }
};

// The grid position sampled for laid pixel (x, y) of kSmooth and kTurned,
// block-relative, in grid pixels whose centres lie at whole numbers.
struct GridPoint {
  double x = 0, y = 0;
};
GridPoint map_back(const MarkShape& shape, int64_t x, int64_t y) {
  const MarkFrame& frame = shape.frame;
  const double source_cx = double(frame.block_left) + double(frame.block_width) / 2;
  const double source_cy = double(frame.block_top) + double(frame.block_height) / 2;
  const double centre_x = double(-shape.box.x0) + double(shape.block_width) / 2;
  const double centre_y = double(-shape.box.y0) + double(shape.block_height) / 2;
  const double qx = double(x - shape.box.x0) + 0.5 - centre_x;
  const double qy = double(y - shape.box.y0) + 0.5 - centre_y;
  // Back from the laid mark to the source: the inverse turn, then the scale.
  // In image axes (y down) a counter-clockwise turn as seen takes an offset
  // (dx, dy) from the centre to (dx c + dy s, -dx s + dy c).
  const MarkTurn& turn = shape.turn;
  return GridPoint{((qx * turn.cos - qy * turn.sin) / shape.scale + source_cx) / double(shape.factor) - 0.5,
                   ((qx * turn.sin + qy * turn.cos) / shape.scale + source_cy) / double(shape.factor) - 0.5};
}

// Source index of laid coordinate t for kNearest, or -1: column div scale,
// as the plain pass maps it.
int64_t nearest_index(int64_t t, double scale, int64_t source_before, int64_t extent) {
  const double q = std::floor(double(t) / scale) + double(source_before);
  return q < 0 || q >= double(extent) ? int64_t(-1) : int64_t(q);
}

// Whole source pixels before the block keep their count, scaled; for a
// picture the frame is the block and nothing is outside.
MarkRect scaled_frame(const MarkFrame& frame, double scale, int64_t block_width, int64_t block_height) {
  const int64_t before_x = int64_t(std::ceil(double(frame.block_left) * scale));
  const int64_t before_y = int64_t(std::ceil(double(frame.block_top) * scale));
  const int64_t after_x =
      int64_t(std::ceil(double(frame.width - frame.block_left - frame.block_width) * scale));
  const int64_t after_y =
      int64_t(std::ceil(double(frame.height - frame.block_top - frame.block_height) * scale));
  return MarkRect{-before_x, -before_y, block_width + after_x, block_height + after_y};
}

void copy_pixel(const MarkWindow& window, int64_t x, int64_t y, MarkSprite& out, size_t to) {
  const MarkSprite& pixels = *window.pixels;
  x -= window.x0;
  y -= window.y0;
  if (x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) return;
  const size_t from = size_t(y * pixels.width + x);
  out.weight[to] = pixels.weight[from];
  std::copy_n(&pixels.colour[3 * from], 3, &out.colour[3 * to]);
}

// kSmooth keeps every tap inside the grid, so the block's edge pixels take
// the source's edge pixels whole. Unturned, a column's taps are the same on
// every row and a row's on every column: map_back's other axis adds 0.
struct SmoothTaps {
  int64_t first = 0;
  int64_t second = 0;
  double f = 0;  // the second's share
};

SmoothTaps smooth_taps(double u, int64_t extent) {
  const double u0 = std::floor(u);
  const int64_t first = int64_t(u0);
  return SmoothTaps{std::clamp<int64_t>(first, 0, extent - 1), std::clamp<int64_t>(first + 1, 0, extent - 1),
                    u - u0};
}

std::vector<SmoothTaps> smooth_columns(const MarkShape& shape, int64_t x0, int64_t x1) {
  std::vector<SmoothTaps> columns;
  columns.reserve(size_t(x1 - x0));
  for (int64_t x = x0; x < x1; ++x) columns.push_back(smooth_taps(map_back(shape, x, 0).x, shape.grid_width));
  return columns;
}

void sample_smooth_row(const MarkShape& shape, const MarkWindow& window,
                       const std::vector<SmoothTaps>& columns, int64_t y, MarkSprite& out, size_t to) {
  const SmoothTaps row = smooth_taps(map_back(shape, 0, y).y, shape.grid_height);
  const double fy = row.f;
  for (const SmoothTaps& column : columns) {
    const double fx = column.f;
    Accumulated sum;
    tap(window, column.first, row.first, (1 - fx) * (1 - fy), sum);
    tap(window, column.second, row.first, fx * (1 - fy), sum);
    tap(window, column.first, row.second, (1 - fx) * fy, sum);
    tap(window, column.second, row.second, fx * fy, sum);
    put(out, to++, sum);
  }
}

// Where the frame rectangle rect lands turned, relative to the laid block's
// top-left corner, with one pixel of room on each side for the bilinear
// fringe; empty when out of all measure.
MarkRect turned_box(const MarkShape& shape, const MarkRect& rect) {
  const MarkFrame& frame = shape.frame;
  const double source_cx = double(frame.block_left) + double(frame.block_width) / 2;
  const double source_cy = double(frame.block_top) + double(frame.block_height) / 2;
  Bounds bounds;
  for (const double cx : {double(rect.x0), double(rect.x1)}) {
    for (const double cy : {double(rect.y0), double(rect.y1)}) {
      const double dx = (cx - source_cx) * shape.scale;
      const double dy = (cy - source_cy) * shape.scale;
      bounds.add(dx * shape.turn.cos + dy * shape.turn.sin + double(shape.block_width) / 2,
                 -dx * shape.turn.sin + dy * shape.turn.cos + double(shape.block_height) / 2);
    }
  }
  if (!bounds.sane()) return MarkRect{};
  return MarkRect{int64_t(std::floor(bounds.x0)) - 1, int64_t(std::floor(bounds.y0)) - 1,
                  int64_t(std::ceil(bounds.x1)) + 1, int64_t(std::ceil(bounds.y1)) + 1};
}

}  // namespace

MarkShape ShapeMark(const MarkFrame& frame, double scale, int64_t block_width, int64_t block_height,
                    double angle, MarkScaling unturned) {
  MarkShape shape;
  if (frame.width <= 0 || frame.height <= 0 || frame.block_width <= 0 || frame.block_height <= 0 ||
      !(scale > 0) || !std::isfinite(scale) || block_width <= 0 || block_height <= 0)
    return shape;
  shape.frame = frame;
  shape.scale = scale;
  shape.turn = MarkTurnOf(angle);
  shape.block_width = block_width;
  shape.block_height = block_height;
  shape.grid_width = frame.width;
  shape.grid_height = frame.height;
  const bool turned = shape.turn.cos != 1;
  if (!turned && scale == 1 && block_width == frame.block_width && block_height == frame.block_height) {
    shape.sampling = MarkSampling::kCopy;
    shape.box = MarkRect{-frame.block_left, -frame.block_top, frame.width - frame.block_left,
                         frame.height - frame.block_top};
    return shape;
  }
  if (!turned && unturned == MarkScaling::kNearest) {
    shape.sampling = MarkSampling::kNearest;
    shape.box = scaled_frame(frame, scale, block_width, block_height);
    return shape;
  }
  if (scale <= 0.5) {
    // Reduced twofold or more: whole blocks are averaged first, so that
    // fine lines do not flicker from tile to tile; a factor beyond the
    // frame's size leaves one pixel either way.
    shape.factor = int64_t(std::min(1 / scale, double(std::max(frame.width, frame.height)) + 1));
    shape.grid_width = (frame.width + shape.factor - 1) / shape.factor;
    shape.grid_height = (frame.height + shape.factor - 1) / shape.factor;
  }
  if (!turned) {
    shape.sampling = MarkSampling::kSmooth;
    shape.box = scaled_frame(frame, scale, block_width, block_height);
    return shape;
  }
  shape.sampling = MarkSampling::kTurned;
  shape.box = turned_box(shape, MarkRect{0, 0, frame.width, frame.height});
  if (shape.box.empty()) return MarkShape{};
  return shape;
}

MarkRect LaidBoxOf(const MarkShape& shape, const MarkRect& part) {
  if (part.x0 <= 0 && part.y0 <= 0 && part.x1 >= shape.grid_width && part.y1 >= shape.grid_height)
    return shape.box;
  if (shape.sampling == MarkSampling::kCopy)
    return IntersectMarkRects(part.moved(-shape.frame.block_left, -shape.frame.block_top), shape.box);
  if (shape.sampling == MarkSampling::kTurned && shape.factor == 1)
    return IntersectMarkRects(turned_box(shape, part), shape.box);
  return shape.box;
}

MarkRect SourceRectFor(const MarkShape& shape, const MarkRect& target) {
  const MarkRect t = IntersectMarkRects(target, shape.box);
  const MarkRect grid{0, 0, shape.grid_width, shape.grid_height};
  if (t.empty() || !shape.valid()) return MarkRect{};
  const MarkFrame& frame = shape.frame;
  switch (shape.sampling) {
    case MarkSampling::kCopy:
      return IntersectMarkRects(t.moved(frame.block_left, frame.block_top), grid);
    case MarkSampling::kNearest:
      return IntersectMarkRects(
          MarkRect{int64_t(std::floor(double(t.x0) / shape.scale)) + frame.block_left,
                   int64_t(std::floor(double(t.y0) / shape.scale)) + frame.block_top,
                   int64_t(std::floor(double(t.x1 - 1) / shape.scale)) + frame.block_left + 1,
                   int64_t(std::floor(double(t.y1 - 1) / shape.scale)) + frame.block_top + 1},
          grid);
    case MarkSampling::kSmooth:
    case MarkSampling::kTurned:
      break;
  }
  // The map is affine, so the corners bound it; a pixel of slack on each
  // side covers the rounding of the pixels between them.
  Bounds bounds;
  for (const int64_t x : {t.x0, t.x1 - 1}) {
    for (const int64_t y : {t.y0, t.y1 - 1}) {
      const GridPoint u = map_back(shape, x, y);
      bounds.add(u.x, u.y);
    }
  }
  if (!bounds.sane()) return MarkRect{};
  const MarkRect reach{int64_t(std::floor(bounds.x0)) - 1, int64_t(std::floor(bounds.y0)) - 1,
                       int64_t(std::floor(bounds.x1)) + 3, int64_t(std::floor(bounds.y1)) + 3};
  if (shape.sampling == MarkSampling::kSmooth) {
    // Taps are held inside the grid: a reach past an edge reads the edge.
    const int64_t x0 = std::clamp<int64_t>(reach.x0, 0, shape.grid_width - 1);
    const int64_t y0 = std::clamp<int64_t>(reach.y0, 0, shape.grid_height - 1);
    return MarkRect{x0, y0, std::clamp<int64_t>(reach.x1, x0 + 1, shape.grid_width),
                    std::clamp<int64_t>(reach.y1, y0 + 1, shape.grid_height)};
  }
  return IntersectMarkRects(reach, grid);
}

void SampleMark(const MarkShape& shape, const MarkWindow& window, const MarkRect& target, MarkSprite& out,
                int64_t out_origin_x, int64_t out_origin_y) {
  const MarkRect t = IntersectMarkRects(
      IntersectMarkRects(target, shape.box),
      MarkRect{out_origin_x, out_origin_y, out_origin_x + out.width, out_origin_y + out.height});
  if (t.empty() || !shape.valid() || window.pixels == nullptr || window.pixels->empty()) return;
  const MarkFrame& frame = shape.frame;
  const std::vector<SmoothTaps> columns =
      shape.sampling == MarkSampling::kSmooth ? smooth_columns(shape, t.x0, t.x1) : std::vector<SmoothTaps>{};
  const TurnedRows turned =
      shape.sampling == MarkSampling::kTurned ? TurnedRows(shape, t.x0, t.x1) : TurnedRows(shape, t.x0, t.x0);
  const auto at = [&](int64_t x, int64_t y) {
    return size_t((y - out_origin_y) * out.width + (x - out_origin_x));
  };
  for (int64_t y = t.y0; y < t.y1; ++y) {
    switch (shape.sampling) {
      case MarkSampling::kCopy:
        for (int64_t x = t.x0; x < t.x1; ++x)
          copy_pixel(window, x + frame.block_left, y + frame.block_top, out, at(x, y));
        break;
      case MarkSampling::kNearest: {
        const int64_t sy = nearest_index(y, shape.scale, frame.block_top, frame.height);
        if (sy < 0) break;
        for (int64_t x = t.x0; x < t.x1; ++x) {
          const int64_t sx = nearest_index(x, shape.scale, frame.block_left, frame.width);
          if (sx >= 0) copy_pixel(window, sx, sy, out, at(x, y));
        }
        break;
      }
      case MarkSampling::kSmooth:
        sample_smooth_row(shape, window, columns, y, out, at(t.x0, y));
        break;
      case MarkSampling::kTurned:
        turned.sample(window, y, out, at(t.x0, y));
        break;
    }
  }
}
