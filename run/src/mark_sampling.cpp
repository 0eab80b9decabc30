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

#include "wide_vectors.h"

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

struct Accumulated {
  double weight = 0;
  double colour[3] = {0, 0, 0};
};

void tap(const MarkWindow& window, int64_t x, int64_t y, double f, Accumulated& sum) {
  const MarkSprite& pixels = *window.pixels;
  x -= window.x0;
  y -= window.y0;
  if (f <= 0 || x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) return;
  const size_t i = size_t(y * pixels.width + x);
  const double fw = f * pixels.weight[i];
  sum.weight += fw;
  for (int k = 0; k < 3; ++k) sum.colour[k] += fw * pixels.colour[3 * i + size_t(k)];
}

// std::lround for a value that is not negative, without the library call:
// the fraction v - (long)v is exact below 2^52, so halves round up alike.
long round_half_up(double v) {
  const long whole = long(v);
  return v - double(whole) >= 0.5 ? whole + 1 : whole;
}

// round_half_up(colour / weight) for a colour sum of at most 255 x weight,
// taking the quotient through the weight's reciprocal. That product lies
// within a few units in the last place of the quotient, a few 1e-14 at 255,
// so it rounds to the same whole number unless it lies that close to a
// half; that rare case takes the division itself.
long round_mean(double colour, double weight, double inverse) {
  const double q = colour * inverse;
  const long whole = long(q);
  const double fraction = q - double(whole);
  if (std::abs(fraction - 0.5) < 1e-9) return round_half_up(colour / weight);
  return fraction > 0.5 ? whole + 1 : whole;
}

inline void put(MarkSprite& out, size_t to, const Accumulated& sum) {
  const long weight = round_half_up(sum.weight);
  if (weight <= 0) return;
  out.weight[to] = uint16_t(std::min<long>(weight, kMarkWeightFull));
  const double inverse = 1 / sum.weight;
  for (int k = 0; k < 3; ++k)
    out.colour[3 * to + size_t(k)] = uint8_t(std::min(round_mean(sum.colour[k], sum.weight, inverse), 255L));
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

// map_back's grid positions for count columns of a row, from the turn's
// terms of each column (across_cos, across_sin) and of the row: the same
// operations in the same order, a row at a time so that the divisions run
// several to a vector.
struct RowTerms {
  double down_sin, down_cos, scale, factor, source_cx, source_cy;
};
STEMPORA_WIDE_VECTORS void map_row(const double* __restrict across_cos, const double* __restrict across_sin,
                                   const RowTerms& row, int64_t count, double* __restrict ux,
                                   double* __restrict uy) {
  if (row.factor == 1) {
    // Dividing by 1 changes no bit, so a factor of 1 skips it.
    for (int64_t i = 0; i < count; ++i) {
      ux[i] = (across_cos[i] - row.down_sin) / row.scale + row.source_cx - 0.5;
      uy[i] = (across_sin[i] + row.down_cos) / row.scale + row.source_cy - 0.5;
    }
    return;
  }
  for (int64_t i = 0; i < count; ++i) {
    ux[i] = ((across_cos[i] - row.down_sin) / row.scale + row.source_cx) / row.factor - 0.5;
    uy[i] = ((across_sin[i] + row.down_cos) / row.scale + row.source_cy) / row.factor - 0.5;
  }
}

// The whole parts of count grid positions into whole, and in u the
// fraction left. Adding 0 turns a floor of -0.0 into +0.0 (a fraction of
// -0.0 would weigh as 0 all the same). Floating-point traps are never
// switched on, so the compiler may assume none (it changes no result) and
// run the floor several to a vector.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-trapping-math")))
#endif
STEMPORA_WIDE_VECTORS void
split_row(double* __restrict u, int64_t count, double* __restrict whole) {
  for (int64_t i = 0; i < count; ++i) {
    const double x = u[i];
    const double floor = std::floor(x) + 0.0;
    whole[i] = floor;
    u[i] = x - floor;
  }
}

// The three colour bytes of pixel i as one number, to compare.
inline uint32_t colour_at(const uint8_t* colours, size_t i) {
  return uint32_t(colours[3 * i]) | uint32_t(colours[3 * i + 1]) << 8 | uint32_t(colours[3 * i + 2]) << 16;
}

// Pixels of a row whose four taps all lie inside the window, gathered a
// batch at a time: their shares, the taps' weights and colours, and what
// put needs, so that the sums run several pixels to a vector.
constexpr int kTapBatch = 64;
struct TapBatch {
  int count = 0;
  size_t to[kTapBatch];
  double fx[kTapBatch], fy[kTapBatch];
  // As the window holds them; turned into doubles several to a vector.
  uint16_t weight[4][kTapBatch];
  uint8_t colour[4][3][kTapBatch];
  // What put works out: the sums, the weight rounded, and each colour
  // rounded, or -1 where the quicker rounding cannot tell.
  double sum_weight[kTapBatch];
  double sum_colour[3][kTapBatch];
  int32_t rounded_weight[kTapBatch];
  int32_t level[3][kTapBatch];
};

// round_half_up for a value of 0 .. 2^31 - 1, in a vector's conversions.
inline int32_t round_half_up_32(double v) {
  const int32_t whole = int32_t(v);
  return v - double(whole) >= 0.5 ? whole + 1 : whole;
}

// round_mean without its division: -1 where it would need it.
inline int32_t quick_level(double colour, double inverse) {
  const double q = colour * inverse;
  const int32_t whole = int32_t(q);
  const double fraction = q - double(whole);
  const int32_t level = fraction > 0.5 ? whole + 1 : whole;
  return std::abs(fraction - 0.5) < 1e-9 ? -1 : level;
}

// The bilinear sums of a batch, tap by tap in the order tap() adds them,
// each product and sum rounded as there; a tap whose share is 0 adds 0 to
// sums that are never below 0, which leaves them as they are, so every tap
// is added without a test. Then put's rounding as far as it goes without a
// branch.
STEMPORA_WIDE_VECTORS void sum_batch(TapBatch& b) {
  for (int j = 0; j < b.count; ++j) {
    const double fx = b.fx[j], fy = b.fy[j];
    const double shares[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    double weight = 0, blue = 0, green = 0, red = 0;
    for (int t = 0; t < 4; ++t) {
      const double fw = shares[t] * double(b.weight[t][j]);
      weight += fw;
      blue += fw * double(b.colour[t][0][j]);
      green += fw * double(b.colour[t][1][j]);
      red += fw * double(b.colour[t][2][j]);
    }
    b.sum_weight[j] = weight;
    b.sum_colour[0][j] = blue;
    b.sum_colour[1][j] = green;
    b.sum_colour[2][j] = red;
    b.rounded_weight[j] = round_half_up_32(weight);
    // A colour sum is at most 255 x the weight sum, so each mean lies in
    // 0 .. 255. Adding (weight == 0) changes no weight that is put and
    // keeps an empty pixel's means at 0, without a branch.
    const double inverse = 1 / (weight + double(weight == 0));
    b.level[0][j] = quick_level(blue, inverse);
    b.level[1][j] = quick_level(green, inverse);
    b.level[2][j] = quick_level(red, inverse);
  }
}

// put for every pixel of a summed batch.
void put_batch(const TapBatch& b, MarkSprite& out) {
  for (int j = 0; j < b.count; ++j) {
    const int32_t weight = b.rounded_weight[j];
    if (weight <= 0) continue;
    const size_t to = b.to[j];
    out.weight[to] = uint16_t(std::min<int32_t>(weight, kMarkWeightFull));
    for (int k = 0; k < 3; ++k) {
      const long level =
          b.level[k][j] >= 0 ? b.level[k][j] : round_half_up(b.sum_colour[k][j] / b.sum_weight[j]);
      out.colour[3 * to + size_t(k)] = uint8_t(std::min(level, 255L));
    }
  }
}

// What map_back works out for laid row y of kTurned that stays the same
// along the row, and for each column what stays the same down the
// columns; map_back's own arithmetic, operation by operation, so a pixel
// lands where map_back takes it to the last bit.
class TurnedRows {
 public:
  TurnedRows(const MarkShape& shape, int64_t x0, int64_t x1) : shape_(shape) {
    const MarkFrame& frame = shape.frame;
    source_cx_ = double(frame.block_left) + double(frame.block_width) / 2;
    source_cy_ = double(frame.block_top) + double(frame.block_height) / 2;
    centre_x_ = double(-shape.box.x0) + double(shape.block_width) / 2;
    centre_y_ = double(-shape.box.y0) + double(shape.block_height) / 2;
    across_cos_.reserve(size_t(x1 - x0));
    across_sin_.reserve(size_t(x1 - x0));
    for (int64_t x = x0; x < x1; ++x) {
      const double qx = double(x - shape.box.x0) + 0.5 - centre_x_;
      across_cos_.push_back(qx * shape.turn.cos);
      across_sin_.push_back(qx * shape.turn.sin);
    }
    grid_x_.resize(across_cos_.size());
    grid_y_.resize(across_cos_.size());
    whole_x_.resize(across_cos_.size());
    whole_y_.resize(across_cos_.size());
  }

  // Row y over the columns [x0, x1) given at construction.
  void sample(const MarkWindow& window, int64_t y, MarkSprite& out, size_t to) const {
    const MarkTurn& turn = shape_.turn;
    const double qy = double(y - shape_.box.y0) + 0.5 - centre_y_;
    const double down_sin = qy * turn.sin, down_cos = qy * turn.cos;
    const double scale = shape_.scale;
    const double factor = double(shape_.factor);
    const int64_t count = int64_t(across_cos_.size());
    int64_t first = 0, end = count;
    inside_span(down_sin, down_cos, first, end);
    if (first >= end) return;
    const MarkSprite& pixels = *window.pixels;
    const int64_t reach_x = int64_t(pixels.width) - 1, reach_y = int64_t(pixels.height) - 1;
    map_row(across_cos_.data() + first, across_sin_.data() + first,
            RowTerms{down_sin, down_cos, scale, factor, source_cx_, source_cy_}, end - first,
            grid_x_.data() + first, grid_y_.data() + first);
    split_row(grid_x_.data() + first, end - first, whole_x_.data() + first);
    split_row(grid_y_.data() + first, end - first, whole_y_.data() + first);
    // Held in locals: the batch's byte stores could otherwise be the
    // window's own bytes to the compiler, which would load every one of
    // these again after each store.
    const uint16_t* __restrict weights = pixels.weight.data();
    const uint8_t* __restrict colours = pixels.colour.data();
    const int64_t width = pixels.width;
    const double grid_width = double(shape_.grid_width), grid_height = double(shape_.grid_height);
    const int64_t window_x0 = window.x0, window_y0 = window.y0;
    TapBatch& b = batch_;
    for (int64_t i = first; i < end; ++i) {
      const double fx0 = whole_x_[size_t(i)], fy0 = whole_y_[size_t(i)];
      if (fx0 < -1 || fy0 < -1 || fx0 >= grid_width || fy0 >= grid_height) continue;
      const double fx = grid_x_[size_t(i)], fy = grid_y_[size_t(i)];
      const int64_t gx = int64_t(fx0), gy = int64_t(fy0);
      const int64_t wx = gx - window_x0, wy = gy - window_y0;
      if (wx < 0 || wy < 0 || wx >= reach_x || wy >= reach_y) {
        sample_at_edge(window, gx, gy, fx, fy, out, to + size_t(i));
        continue;
      }
      const size_t at = size_t(wy * width + wx);
      const size_t taps[4] = {at, at + 1, at + size_t(width), at + size_t(width) + 1};
      const uint16_t weight = weights[at];
      if (weights[taps[1]] == weight && weights[taps[2]] == weight && weights[taps[3]] == weight) {
        // Four taps alike: the shares sum to 1 within a few units in the
        // last place, so put would round the weight and every mean back
        // to the taps' own, far from any half; an empty tap adds nothing.
        if (weight == 0) continue;
        const uint32_t colour = colour_at(colours, at);
        if (colour_at(colours, taps[1]) == colour && colour_at(colours, taps[2]) == colour &&
            colour_at(colours, taps[3]) == colour) {
          const size_t laid = to + size_t(i);
          out.weight[laid] = uint16_t(std::min<uint32_t>(weight, kMarkWeightFull));
          std::copy_n(&colours[3 * at], 3, &out.colour[3 * laid]);
          continue;
        }
      }
      const int j = b.count++;
      b.to[j] = to + size_t(i);
      b.fx[j] = fx;
      b.fy[j] = fy;
      for (int t = 0; t < 4; ++t) {
        b.weight[t][j] = weights[taps[t]];
        for (size_t k = 0; k < 3; ++k) b.colour[t][k][j] = colours[3 * taps[t] + k];
      }
      if (b.count == kTapBatch) flush(out);
    }
    flush(out);
  }

 private:
  void flush(MarkSprite& out) const {
    if (batch_.count == 0) return;
    sum_batch(batch_);
    put_batch(batch_, out);
    batch_.count = 0;
  }

  static void sample_at_edge(const MarkWindow& window, int64_t gx, int64_t gy, double fx, double fy,
                             MarkSprite& out, size_t to) {
    Accumulated sum;
    tap(window, gx, gy, (1 - fx) * (1 - fy), sum);
    tap(window, gx + 1, gy, fx * (1 - fy), sum);
    tap(window, gx, gy + 1, (1 - fx) * fy, sum);
    tap(window, gx + 1, gy + 1, fx * fy, sum);
    put(out, to, sum);
  }

  // Narrows [first, end) to the columns whose grid position can lie
  // within a grid pixel of the grid. The position moves along the row by a
  // fixed step; worked out without map_back's rounding, the span is widened
  // by a whole grid pixel on either side, far more than that rounding, so
  // no column that map_back would sample is left out.
  void inside_span(double down_sin, double down_cos, int64_t& first, int64_t& end) const {
    if (first >= end) return;
    const double unit = shape_.scale * double(shape_.factor);
    const double start_x = ((across_cos_[0] - down_sin) / shape_.scale + source_cx_) / double(shape_.factor);
    const double start_y = ((across_sin_[0] + down_cos) / shape_.scale + source_cy_) / double(shape_.factor);
    double lo = -HUGE_VAL, hi = HUGE_VAL;
    const auto narrow = [&](double start, double step, double extent) {
      // start + i x step must stay within [-2, extent + 2].
      if (step == 0) {
        if (start < -2 || start > extent + 2) hi = -HUGE_VAL;
        return;
      }
      const double a = (-2 - start) / step, b = (extent + 2 - start) / step;
      lo = std::max(lo, std::min(a, b));
      hi = std::min(hi, std::max(a, b));
    };
    narrow(start_x, shape_.turn.cos / unit, double(shape_.grid_width));
    narrow(start_y, shape_.turn.sin / unit, double(shape_.grid_height));
    if (!(lo <= hi)) {
      end = first;
      return;
    }
    const double count = double(end);
    first = int64_t(std::clamp(std::floor(lo) - 1, 0.0, count));
    end = int64_t(std::clamp(std::ceil(hi) + 2, double(first), count));
  }

  const MarkShape& shape_;
  double source_cx_ = 0, source_cy_ = 0, centre_x_ = 0, centre_y_ = 0;
  std::vector<double> across_cos_;
  std::vector<double> across_sin_;
  // The grid positions of the row being sampled.
  mutable std::vector<double> grid_x_;
  mutable std::vector<double> grid_y_;
  // Their whole parts, once split_row has left the fractions in them.
  mutable std::vector<double> whole_x_, whole_y_;
  mutable TapBatch batch_;
};

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
