// The placement table shared by the text and the picture watermark.
#pragma once

#include <cstdint>

// Placement indices: 0 "Oben Links" .. 8 "Unten Rechts" for both
// watermarks, 9 "Eingepasst" and 10 "Maximal" for the picture only.
inline constexpr int kPlacementCount = 11;
extern const char* const kPlacementNames[kPlacementCount];

struct BlockPlacement {
  bool valid = false;  // false: nothing is stamped
  int64_t left = 0;    // top-left corner in image pixels, may be negative
  int64_t top = 0;
  int64_t width = 0;   // block size, scaled for placements 9 and 10
  int64_t height = 0;
  double scale = 1.0;  // watermark pixels per image pixel is 1 / scale
};

// Where a block of block_width x block_height lands in an image of
// image_width x image_height with the given margin.
BlockPlacement PlaceBlock(int position, int64_t image_width, int64_t image_height, int64_t block_width,
                          int64_t block_height, int64_t margin);
