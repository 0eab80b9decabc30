// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling a turned mark a row at a time: map_back's arithmetic worked out
// once per row and column, and the taps that lie inside the window summed
// several pixels to a vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mark_sampling.h"

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

// What map_back works out for laid row y of kTurned that stays the same
// along the row, and for each column what stays the same down the
// columns; map_back's own arithmetic, operation by operation, so a pixel
// lands where map_back takes it to the last bit.
class TurnedRows {
 public:
  TurnedRows(const MarkShape& shape, int64_t x0, int64_t x1);

  // Row y over the columns [x0, x1) given at construction.
  void sample(const MarkWindow& window, int64_t y, MarkSprite& out, size_t to) const;

 private:
  void flush(MarkSprite& out) const;
  static void sample_at_edge(const MarkWindow& window, int64_t gx, int64_t gy, double fx, double fy,
                             MarkSprite& out, size_t to);
  // Narrows [first, end) to the columns whose grid position can lie
  // within a grid pixel of the grid. The position moves along the row by a
  // fixed step; worked out without map_back's rounding, the span is widened
  // by a whole grid pixel on either side, far more than that rounding, so
  // no column that map_back would sample is left out.
  void inside_span(double down_sin, double down_cos, int64_t& first, int64_t& end) const;

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
