// SPDX-License-Identifier: GPL-3.0-or-later
// Coverage masks of the text's options: widened for an outline, blurred for
// a shadow, cut down to the part a window needs. Each works on the mask it
// is given and takes everything outside it as 0, so a result is exact at
// least the operation's reach inside the mask's edges.
#pragma once

#include <cstdint>
#include <vector>

struct Mask {
  int64_t width = 0;
  int64_t height = 0;
  std::vector<uint8_t> values;  // row by row, 0 .. 255
};

// The largest value within a disc of the given radius around each pixel.
Mask WidenMask(const Mask& in, int radius);

// Two box passes of the radius along the rows and two along the columns,
// each rounded to the nearest value: close to a Gaussian of the radius.
// Reaches 2 x radius.
void BlurMask(Mask& mask, int radius);

// The width x height part of the mask at (left, top); it lies inside.
Mask CutMask(const Mask& in, int64_t left, int64_t top, int64_t width, int64_t height);

// The mask without inset pixels on every side.
Mask InnerMask(const Mask& in, int64_t inset);
