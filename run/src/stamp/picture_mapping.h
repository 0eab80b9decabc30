// SPDX-License-Identifier: GPL-3.0-or-later
// How the picture pass maps image pixels onto the picture, nearest-neighbour:
// shared by the plain pass and by the blend of a picture's sprite, which must
// land on exactly the same pixels.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int32_t kNotCovered = -1;

// Picture coordinate of each image coordinate 0..extent-1, or kNotCovered,
// exactly as the per-pixel formula gives it: the offset by subtraction when
// the scale is exactly 1, else the floating-point quotient truncated toward
// zero, which also takes in the coordinates just before the block's start
// whose quotient lies strictly between -1 and 0.
inline std::vector<int32_t> MapPictureAxis(int32_t extent, int64_t start, double scale,
                                           int32_t source_extent) {
  std::vector<int32_t> map(size_t(extent), kNotCovered);
  for (int32_t i = 0; i < extent; ++i) {
    const int64_t d = int64_t(i) - start;
    if (scale == 1.0) {
      if (d >= 0 && d < source_extent) map[size_t(i)] = int32_t(d);
    } else {
      // Compare before converting: the quotient may not fit any integer.
      const double q = double(d) / scale;
      if (q > -1.0 && q < double(source_extent)) map[size_t(i)] = int32_t(q);  // truncates toward zero
    }
  }
  return map;
}

// First and one-past-last covered index; the mapping is monotonic, so the
// covered indices form one run.
inline void CoveredRun(const std::vector<int32_t>& map, int32_t& first, int32_t& end) {
  first = 0;
  while (first < int32_t(map.size()) && map[size_t(first)] == kNotCovered) ++first;
  end = first;
  while (end < int32_t(map.size()) && map[size_t(end)] != kNotCovered) ++end;
}
