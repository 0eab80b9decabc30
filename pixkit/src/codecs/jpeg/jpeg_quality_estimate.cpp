// SPDX-License-Identifier: LGPL-2.1-or-later
// The IJG encoder scales two fixed tables by one factor per quality
// (jpeg_quality_scaling: 5000 / q below 50, 200 - 2q above) and rounds;
// trying all hundred qualities and keeping the closest inverts that exactly
// for IJG files and degrades gently for any other encoder's tables.
#include "jpeg_quality_estimate.h"

#include <cstdint>
#include <cstdlib>

namespace pixkit {
namespace {

// The tables of the JPEG standard's annex K, in natural order.
constexpr uint16_t kLuminance[DCTSIZE2] = {
    16, 11,  10,  16, 24, 40, 51, 61, 12,  12,  14,  19,  26, 58, 60, 55,  14,  13,  16,  24, 40, 57,
    69, 56,  14,  17, 22, 29, 51, 87, 80,  62,  18,  22,  37, 56, 68, 109, 103, 77,  24,  35, 55, 64,
    81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98,  112, 100, 103, 99};
constexpr uint16_t kChrominance[DCTSIZE2] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                             24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                             99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                             99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

int64_t distance(const JQUANT_TBL* table, const uint16_t* standard, int scale) {
  if (table == nullptr) return 0;
  int64_t sum = 0;
  for (int i = 0; i < DCTSIZE2; ++i) {
    long expected = (long(standard[i]) * scale + 50L) / 100L;
    expected = expected < 1 ? 1 : expected > 255 ? 255 : expected;
    sum += std::labs(expected - long(table->quantval[i]));
  }
  return sum;
}

}  // namespace

int estimate_jpeg_quality(const jpeg_decompress_struct& cinfo) {
  const JQUANT_TBL* luma = cinfo.quant_tbl_ptrs[0];
  if (luma == nullptr) return 0;
  const JQUANT_TBL* chroma = cinfo.num_components > 1 ? cinfo.quant_tbl_ptrs[1] : nullptr;
  int best = 0;
  int64_t best_distance = -1;
  for (int quality = 1; quality <= 100; ++quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    const int64_t d = distance(luma, kLuminance, scale) + distance(chroma, kChrominance, scale);
    // Among equals the higher quality, so the copy loses no more detail.
    if (best_distance < 0 || d <= best_distance) {
      best = quality;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace pixkit
