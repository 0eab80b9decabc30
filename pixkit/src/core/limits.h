// SPDX-License-Identifier: LGPL-2.1-or-later
// Caps on picture size that every reader checks before it allocates.
#pragma once

#include <cstdint>

#include "result.h"

namespace pixkit {

inline constexpr int64_t kDefaultMaxSide = 32768;
inline constexpr int64_t kDefaultMaxPixels = 250'000'000;
// Metadata blocks (EXIF, ICC) larger than this are dropped rather than kept.
inline constexpr uint64_t kMaxMetadataBytes = 16u << 20;

struct Limits {
  int64_t max_side = kDefaultMaxSide;
  int64_t max_pixels = kDefaultMaxPixels;
};

const Limits& current_limits();
void set_limits(int64_t max_side, int64_t max_pixels);

// Accepts width x height when both are 1..max_side and the product is within
// max_pixels.
Status check_dimensions(int64_t width, int64_t height);

}  // namespace pixkit
