// SPDX-License-Identifier: GPL-3.0-or-later
// The placement table shared by the text and the picture watermark.
#pragma once

#include <cstdint>

// Placement indices: 0 "Oben Links" .. 8 "Unten Rechts" for both
// watermarks, 9 "Eingepasst" and 10 "Maximal" for the picture only.
inline constexpr int kPlacementCount = 11;
inline constexpr int kPlacementFitted = 9;     // "Eingepasst": fits inside the box
inline constexpr int kPlacementCovering = 10;  // "Maximal": covers the box
extern const char* const kPlacementNames[kPlacementCount];

struct BlockPlacement {
  bool valid = false;  // false: nothing is stamped
  int64_t left = 0;    // top-left corner in image pixels, may be negative
  int64_t top = 0;
  int64_t width = 0;  // block size, scaled for placements 9 and 10
  int64_t height = 0;
  double scale = 1.0;  // block width / original width; 1.0 for placements 0..8
};

// Where a block of block_width x block_height lands in an image of
// image_width x image_height with the given margin. Divisions truncate
// toward zero. Not valid (nothing to stamp) for an index outside 0..10, for
// a scaled placement whose box or scaled size is not positive, and for
// sizes outside 0..2^31 - 1 or a margin beyond +-2^30, where the arithmetic
// would leave 64 bits.
BlockPlacement PlaceBlock(int position, int64_t image_width, int64_t image_height, int64_t block_width,
                          int64_t block_height, int64_t margin);

// The same with a margin of its own for each axis: margin_x left and
// right, margin_y above and below (for placements 9 and 10 the box is the
// picture less both). PlaceBlock is this with both margins alike.
BlockPlacement PlaceBlockXY(int position, int64_t image_width, int64_t image_height, int64_t block_width,
                            int64_t block_height, int64_t margin_x, int64_t margin_y);
