// SPDX-License-Identifier: GPL-3.0-or-later
// A watermark prepared once per image and laid over it any number of times:
// every pixel holds a colour and a blend weight, so the picture's own alpha,
// glyph coverage, an outline and a shadow all end in one integer blend.
#pragma once

#include <cstdint>
#include <vector>

#include "pixkit/pixkit.h"

// Weights count alpha x (100 - t): full alpha at transparency t weighs
// 255 x (100 - t), and the blend (image x (kMarkWeightFull - w) + mark x w)
// div kMarkWeightFull is then exactly the plain (image x t + mark x (100 -
// t)) div 100, as both sides carry the factor 255.
inline constexpr uint32_t kMarkWeightFull = 25500;

// Sprites beyond this many pixels (32 M, 160 MB with their masks' share)
// are not made and nothing is stamped: several batch workers each holding
// one must still fit in memory. A picture across a 12-megapixel image,
// turned, needs about 20 M.
inline constexpr int64_t kMaxSpritePixels = int64_t(1) << 25;

// Cosine and sine of a turn by angle degrees; exact for multiples of 90
// degrees, so quarter turns move whole pixels.
struct MarkTurn {
  double cos = 1;
  double sin = 0;
};
MarkTurn MarkTurnOf(double angle);

struct MarkSprite {
  int32_t width = 0;
  int32_t height = 0;
  // Where the mark's block (the picture, or the text block as placed) lies
  // in the sprite; the sprite also holds what reaches past it (a glyph's
  // overhang, outline, shadow, the corners of a turned block).
  int64_t block_left = 0;
  int64_t block_top = 0;
  int64_t block_width = 0;
  int64_t block_height = 0;
  std::vector<uint8_t> colour;   // blue, green, red per pixel, not multiplied by the weight
  std::vector<uint16_t> weight;  // 0 .. kMarkWeightFull per pixel
  // Per row, the columns [first, end) outside which every weight is 0, so
  // blending skips the empty corners of a turned mark; without them every
  // row is blended whole.
  std::vector<int32_t> run_first;
  std::vector<int32_t> run_end;
  // The blend's two terms byte by byte (kMarkWeightFull - weight, and
  // colour x weight), made by PrepareRepeatedBlend for a sprite that is
  // blended many times: the blend then runs over plain byte arrays, which
  // the compiler vectorises.
  std::vector<uint16_t> keep_bytes;
  std::vector<uint32_t> mark_bytes;
  bool empty() const { return width <= 0 || height <= 0 || weight.empty(); }
};

// A sprite of width x height with every weight 0, or an empty one when the
// size is not positive, exceeds kMaxSpritePixels or cannot be allocated.
MarkSprite MakeMarkSprite(int64_t width, int64_t height);

// Works out the sprite's row runs after its weights are set.
void FindMarkRuns(MarkSprite& sprite);

// Fills keep_bytes and mark_bytes, for sprites of at most
// kMaxPreparedSpritePixels (18 bytes a pixel); larger ones blend from the
// weights as they are.
inline constexpr int64_t kMaxPreparedSpritePixels = int64_t(1) << 22;
void PrepareRepeatedBlend(MarkSprite& sprite);

// The sprite's block scaled to block_width x block_height (scale = new width
// / old width, one scale for both axes) and turned by angle degrees
// counter-clockwise around the block's centre; everything else in the
// sprite turns with it. At angle 0 the block is sampled nearest-neighbour
// (source column = column div scale, so an unturned mark keeps the plain
// pass's pixels); at any other angle bilinearly, by weight, with weight 0
// outside the source, which smooths the turned edges. Turns by multiples of
// 90 degrees take pixels exactly.
MarkSprite TurnMarkSprite(const MarkSprite& source, double scale, int64_t block_width, int64_t block_height,
                          double angle);

// Blends the sprite into a 24-bit image with its top-left corner at (left,
// top), cut off at the image's edges: each byte becomes (image x
// (kMarkWeightFull - w) + mark x w) div kMarkWeightFull.
void BlendMarkSprite(TDibImage& image, const MarkSprite& sprite, int64_t left, int64_t top);

// The top-left corners of a block_width x block_height mark repeated over an
// image_width x image_height image: a grid with steps block + gap (at least
// 1 pixel), every other row shifted by half a step, turned by angle degrees
// counter-clockwise around the centre of the block at (anchor_left,
// anchor_top), which is one of the grid's marks. Only marks whose turned
// block, widened by reach pixels on every side (for what the sprite holds
// past the block), reaches into the image are listed, row by row; positions
// are rounded to whole pixels. Empty when the grid would hold more than
// kMaxTileCount marks.
inline constexpr int64_t kMaxTileCount = int64_t(1) << 20;
struct TileCorner {
  int64_t left = 0;
  int64_t top = 0;
};
std::vector<TileCorner> TileCorners(int64_t image_width, int64_t image_height, int64_t anchor_left,
                                    int64_t anchor_top, int64_t block_width, int64_t block_height,
                                    double gap_x, double gap_y, double angle, int64_t reach);
