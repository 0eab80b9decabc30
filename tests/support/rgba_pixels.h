// SPDX-License-Identifier: GPL-3.0-or-later
// Pixels as plain bytes, for comparing what a reader gave with what a peer
// program or the test itself made, and pictures with known pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "pixkit/pixkit.h"

namespace testsupport {

// Pixels as red, green, blue (and alpha) bytes, rows top-down.
struct Rgba {
  int width = 0;
  int height = 0;
  int channels = 3;  // 3 or 4
  std::vector<uint8_t> pixels;
  bool operator==(const Rgba&) const = default;
};

// The record's pixels as RGB (RGBA for 32 bits) through getpixel.
Rgba pixels_of(const TDibImage& dib);
// A record of the given bit count holding the pattern (palette pictures get
// a palette of 2^bits distinct colours and indices (x * 7 + y * 3) mod 2^bits).
TDibImage make_pattern(int width, int height, int bit_count);

// width x height pixels using `colours` distinct colours (0 = a smooth ramp
// of many colours), with an alpha channel when channels is 4; for handing
// to the peer programs, which choose their depth by the colours they see.
Rgba test_picture(int width, int height, int colours, int channels = 3);

// Largest absolute difference of any channel; for lossy formats.
int max_channel_difference(const Rgba& a, const Rgba& b);

}  // namespace testsupport
