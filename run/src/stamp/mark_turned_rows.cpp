// SPDX-License-Identifier: GPL-3.0-or-later
#include "mark_turned_rows.h"

#include <algorithm>
#include <cmath>

#include "mark_taps.h"
#include "wide_vectors.h"

namespace {

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

}  // namespace

TurnedRows::TurnedRows(const MarkShape& shape, int64_t x0, int64_t x1) : shape_(shape) {
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

void TurnedRows::sample(const MarkWindow& window, int64_t y, MarkSprite& out, size_t to) const {
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

void TurnedRows::flush(MarkSprite& out) const {
  if (batch_.count == 0) return;
  sum_batch(batch_);
  put_batch(batch_, out);
  batch_.count = 0;
}

void TurnedRows::sample_at_edge(const MarkWindow& window, int64_t gx, int64_t gy, double fx, double fy,
                                MarkSprite& out, size_t to) {
  Accumulated sum;
  tap(window, gx, gy, (1 - fx) * (1 - fy), sum);
  tap(window, gx + 1, gy, fx * (1 - fy), sum);
  tap(window, gx, gy + 1, (1 - fx) * fy, sum);
  tap(window, gx + 1, gy + 1, fx * fy, sum);
  put(out, to, sum);
}

void TurnedRows::inside_span(double down_sin, double down_cos, int64_t& first, int64_t& end) const {
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
