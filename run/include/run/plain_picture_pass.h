// SPDX-License-Identifier: GPL-3.0-or-later
// The plain picture pass: the watermark sampled nearest-neighbour at its
// placement and blended with a fixed transparency. It knows nothing of the
// options; they build on it (stamp_picture.h).
#pragma once

#include <cstdint>
#include <optional>

#include "pixkit/pixkit.h"
#include "run/placement.h"

struct PlainPictureSettings {
  int position = 9;     // placement index 0..10
  int64_t margin = 20;  // pixels
  // Above and below, where it differs from margin (a further mark's own).
  std::optional<int64_t> margin_y;
  int transparency = 50;  // 0..100; values outside are taken as the nearest end
};

// The plain pass: image and watermark are
// 24-bit records; anything else is left alone, as is an image for which
// PlaceBlock finds no valid placement. Each covered image byte becomes (image
// * t + watermark * (100 - t)) / 100; the watermark is sampled
// nearest-neighbour at (x - left) / scale, truncated toward zero.
void StampPlainPicture(TDibImage& image, const TDibImage& watermark, const PlainPictureSettings& settings);

// The plain pass's blend at a placement worked out elsewhere (its scale
// included), for the options that only size or place the picture.
void StampPlainPictureAt(TDibImage& image, const TDibImage& watermark, const BlockPlacement& place,
                         int transparency);
