// SPDX-License-Identifier: GPL-3.0-or-later
// What the options of both passes share, for the option files of this folder
// only; the plain passes neither include nor call any of it.
#pragma once

#include <cstdint>

#include "mark_sampling.h"
#include "pixkit/pixkit.h"
#include "run/mark_options.h"

// Tiling as laid: off, or the grid's gaps in pixels and its angle.
struct MarkTiling {
  bool enabled = false;
  double gap_x = 0;
  double gap_y = 0;
  double angle = 0;
};

// The tiling of a mark whose block is block_width x block_height on an
// image of image_width x image_height, gaps worked out in pixels.
MarkTiling MarkTilingOf(const TileOptions& tile, double angle, int64_t image_width, int64_t image_height,
                        int64_t block_width, int64_t block_height);

// Lays the mark shaped by shape with its block's top-left corner at (left,
// top): once, or with tiling on at every corner of the grid anchored there
// (ForEachTileCorner). Marks overlap in the grid's order. The laid mark is
// sampled straight into the image a piece at a time, from windows of the
// source, so memory stays bounded whatever the mark's size; a mark laid many
// times is sampled once when it is small enough to hold.
void LayMark(TDibImage& image, const MarkSource& source, const MarkShape& shape, int64_t left, int64_t top,
             const MarkTiling& tiling);
