// SPDX-License-Identifier: GPL-3.0-or-later
// A watermark's pixels as the options lay them: every pixel holds a colour
// and a blend weight, so the picture's own alpha, glyph coverage, an
// outline and a shadow all end in one integer blend.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "pixkit/pixkit.h"

// Weights count alpha x (100 - t): full alpha at transparency t weighs
// 255 x (100 - t), and the blend (image x (kMarkWeightFull - w) + mark x w)
// div kMarkWeightFull is then exactly the plain (image x t + mark x (100 -
// t)) div 100, as both sides carry the factor 255.
inline constexpr uint32_t kMarkWeightFull = 25500;

// No sprite is made larger than this (32 M pixels, 160 MB). The passes
// hold a mark's source whole only up to kHeldMarkPixels (4 M, 20 MB), and
// a mark laid many times (tiles) up to kHeldLaidPixels (16 M, 80 MB);
// larger ones are worked on a piece at a time, so several batch workers
// each stamping a mark of any size still fit in memory.
inline constexpr int64_t kMaxSpritePixels = int64_t(1) << 25;
inline constexpr int64_t kHeldMarkPixels = int64_t(1) << 22;
inline constexpr int64_t kHeldLaidPixels = int64_t(1) << 24;

// Cosine and sine of a turn by angle degrees; exact for multiples of 90
// degrees, so quarter turns move whole pixels.
struct MarkTurn {
  double cos = 1;
  double sin = 0;
};
MarkTurn MarkTurnOf(double angle);

// A rectangle of a mark's pixels: of its source, or of the mark as laid.
struct MarkSprite {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> colour;   // blue, green, red per pixel, not multiplied by the weight
  std::vector<uint16_t> weight;  // 0 .. kMarkWeightFull per pixel
  // Per row, the columns [first, end) outside which every weight is 0, so
  // blending skips the empty corners of a turned mark; without them every
  // row is blended whole.
  std::vector<int32_t> run_first;
  std::vector<int32_t> run_end;
  // Per row, the longest run [first, end) of pixels of one weight, when
  // it is long enough to pay (the inside of most marks); the blend gives it
  // that weight for every byte. Empty where the row has none.
  std::vector<int32_t> level_first;
  std::vector<int32_t> level_end;
  bool empty() const { return width <= 0 || height <= 0 || weight.empty(); }
};

// A sprite of width x height with every weight 0, or an empty one when the
// size is not positive. Throws std::bad_alloc beyond kMaxSpritePixels, as
// when memory runs out: a mark is never dropped without a word.
MarkSprite MakeMarkSprite(int64_t width, int64_t height);

// Works out the sprite's row runs and runs of one weight after its
// weights are set.
void FindMarkRuns(MarkSprite& sprite);

// Blends the sprite into a 24-bit image with its top-left corner at (left,
// top), cut off at the image's edges: each byte becomes (image x
// (kMarkWeightFull - w) + mark x w) div kMarkWeightFull.
void BlendMarkSprite(TDibImage& image, const MarkSprite& sprite, int64_t left, int64_t top);

// A block_width x block_height mark repeated over an image: a grid with
// steps block + gap (a gap below 0 counts as 0), every other row shifted by half a
// step, turned by angle degrees counter-clockwise around the centre of the
// block at (anchor_left, anchor_top), which is one of the grid's marks.
struct TileGrid {
  int64_t anchor_left = 0;
  int64_t anchor_top = 0;
  int64_t block_width = 0;
  int64_t block_height = 0;
  double gap_x = 0;
  double gap_y = 0;
  double angle = 0;
  // How far the laid mark reaches past its block on any side (the corners
  // of a turned mark, an outline, a shadow).
  int64_t reach = 0;
};
struct TileCorner {
  int64_t left = 0;
  int64_t top = 0;
};
// Visits the top-left corners of the grid's blocks whose turned block,
// widened by the reach on every side, reaches into the image, row by row;
// positions are rounded to whole pixels. Nothing is collected, so a grid of
// any density is walked in constant memory.
void ForEachTileCorner(int64_t image_width, int64_t image_height, const TileGrid& grid,
                       const std::function<void(const TileCorner&)>& visit);
