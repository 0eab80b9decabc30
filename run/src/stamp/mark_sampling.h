// SPDX-License-Identifier: GPL-3.0-or-later
// How a mark's source pixels land on the image once it is scaled and
// turned, worked out a piece at a time: a piece of the laid mark reads only
// a window of its source, so neither the laid mark nor its source need ever
// be held whole, whatever their size.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "run/mark_sprite.h"

// [x0, x1) x [y0, y1).
struct MarkRect {
  int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
  int64_t width() const { return x1 - x0; }
  int64_t height() const { return y1 - y0; }
  MarkRect moved(int64_t dx, int64_t dy) const { return MarkRect{x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
};

inline MarkRect IntersectMarkRects(const MarkRect& a, const MarkRect& b) {
  return MarkRect{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// A mark before it is scaled and turned: width x height source pixels, the
// block (the picture, or the text block as placed) at block_left, block_top
// inside; the rest is what reaches past the block (a glyph's overhang, an
// outline, a shadow).
struct MarkFrame {
  int64_t width = 0;
  int64_t height = 0;
  int64_t block_left = 0;
  int64_t block_top = 0;
  int64_t block_width = 0;
  int64_t block_height = 0;
};

// The source of a mark, handed out a window at a time on its sampling grid
// (the frame's pixels, or blocks of factor x factor of them averaged for a
// strongly reduced picture). A text is drawn for the window asked for.
class MarkSource {
 public:
  virtual ~MarkSource() = default;
  // Rectangles of the grid outside which every weight is 0, each at least
  // two pixels from the others, so no laid pixel samples two of them: a
  // text and its shadow moved far away are two parts, and the empty space
  // between them is never worked on.
  virtual std::vector<MarkRect> Parts() const = 0;
  // rect lies inside the grid; the sprite is rect's size.
  virtual MarkSprite Window(const MarkRect& rect) const = 0;
};

// How an unturned mark is scaled: nearest-neighbour, as the plain pass does
// for "Eingepasst" and "Maximal", or smoothly (bilinear, averaged first when
// reduced twofold or more), as a turned mark always is.
enum class MarkScaling : uint8_t { kNearest, kSmooth };

enum class MarkSampling : uint8_t {
  kCopy,     // unturned, its own size: the source pixels as they are
  kNearest,  // unturned, scaled: source column = column div scale
  kSmooth,   // unturned, scaled: bilinear inside the block, nothing outside
  kTurned,   // bilinear by weight, weight 0 outside the source: turned edges fade
};

// The mark as laid: the frame's block scaled to block_width x block_height
// (scale = new width / old width, one scale for both axes) and turned by the
// angle counter-clockwise around the block's centre; everything else in the
// frame scales and turns with it.
struct MarkShape {
  MarkSampling sampling = MarkSampling::kCopy;
  MarkFrame frame;
  double scale = 1;
  MarkTurn turn;
  int64_t block_width = 0;
  int64_t block_height = 0;
  // kSmooth and kTurned read the source reduced by this whole factor: each
  // grid pixel stands for factor x factor frame pixels.
  int64_t factor = 1;
  int64_t grid_width = 0;
  int64_t grid_height = 0;
  // Where the laid mark can have weight, relative to the laid block's
  // top-left corner; nothing outside it is stamped.
  MarkRect box;
  bool valid() const { return !box.empty() && grid_width > 0 && grid_height > 0; }
};

// Not valid when the frame, the scale or the block is empty or not a number.
MarkShape ShapeMark(const MarkFrame& frame, double scale, int64_t block_width, int64_t block_height,
                    double angle, MarkScaling unturned);

// Where the part of the grid (one of MarkSource::Parts) can have weight
// once laid, relative to the laid block; inside the shape's box.
MarkRect LaidBoxOf(const MarkShape& shape, const MarkRect& part);

// The part of the grid that sampling target (relative to the laid block)
// reads; empty when none.
MarkRect SourceRectFor(const MarkShape& shape, const MarkRect& target);

// A window of the grid: pixels holds the grid's rect at (x0, y0).
struct MarkWindow {
  const MarkSprite* pixels = nullptr;
  int64_t x0 = 0;
  int64_t y0 = 0;
};

// Samples target (relative to the laid block) into out, whose pixel (0, 0)
// stands for out_origin; window holds at least SourceRectFor(shape, target).
// Pixels of out outside the shape's box stay as they are.
void SampleMark(const MarkShape& shape, const MarkWindow& window, const MarkRect& target, MarkSprite& out,
                int64_t out_origin_x, int64_t out_origin_y);
