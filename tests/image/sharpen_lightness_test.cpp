// SPDX-License-Identifier: GPL-3.0-or-later
// The export's sharpening measured on a step edge: the edge gets steeper,
// the overshoot stays within the bound each level promises, flat areas
// and the colour differences stay as they were.
#include "image/sharpen_lightness.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "image/dib_access.h"
#include "support/owned_dib.h"
#include "support/rgba_pixels.h"

namespace {

using testsupport::OwnedDib;

// width x 8, grey `low` left of the middle, `high` from there, blurred
// over two pixels as a resize leaves an edge: 60, 60, ..., 90, 150, 180, ...
TDibImage soft_step(int32_t width, uint8_t low, uint8_t high) {
  TDibImage image = testsupport::make_pattern(width, 8, 24);
  for (int32_t y = 0; y < 8; ++y) {
    uint8_t* row = DibRow(image, y);
    for (int32_t x = 0; x < width; ++x) {
      const int from_middle = x - width / 2;
      const int value = from_middle < -1    ? low
                        : from_middle > 0   ? high
                        : from_middle == -1 ? low + (high - low) / 4
                                            : low + 3 * (high - low) / 4;
      for (int c = 0; c < 3; ++c) row[3 * x + c] = uint8_t(value);
    }
  }
  return image;
}

int channel(const TDibImage& image, int32_t x) { return DibRow(image, 4)[3 * x + 1]; }

}  // namespace

TEST(SharpenLightness, StandardSteepensAStepAndOvershootsItByAtMostThirtyPercent) {
  for (int32_t width : {64, 3000, 9000}) {  // sigma 0.5, 1 and 2 (held)
    OwnedDib image(soft_step(width, 60, 180));
    ASSERT_TRUE(SharpenLightness(image.dib, kSharpenStandard));
    const int middle = width / 2;
    // Steeper: the two pixels across the edge lie further apart.
    EXPECT_GT(channel(image.dib, middle) - channel(image.dib, middle - 1), 150 - 90) << width;
    int lowest = 255, highest = 0;
    for (int32_t x = 0; x < width; ++x) {
      lowest = std::min(lowest, channel(image.dib, x));
      highest = std::max(highest, channel(image.dib, x));
    }
    EXPECT_GT(highest, 180) << width;  // the halo that makes an edge look crisp
    EXPECT_LE(highest, 180 + 36) << width;
    EXPECT_GE(lowest, 60 - 36) << width;
    // Far from the edge the picture is as it was.
    EXPECT_EQ(channel(image.dib, 0), 60);
    EXPECT_EQ(channel(image.dib, width - 1), 180);
  }
}

TEST(SharpenLightness, LevelsGrowInStrengthAndLeaveColourDifferences) {
  int overshoot[3] = {};
  const SharpenStrength* levels[] = {&kSharpenLow, &kSharpenStandard, &kSharpenHigh};
  for (int i = 0; i < 3; ++i) {
    OwnedDib image(soft_step(64, 60, 180));
    // A colour step over the grey one: red 40 above green throughout.
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 64; ++x)
        DibRow(image.dib, y)[3 * x + 2] = uint8_t(DibRow(image.dib, y)[3 * x + 1] + 40);
    ASSERT_TRUE(SharpenLightness(image.dib, *levels[i]));
    for (int32_t x = 0; x < 64; ++x) {
      const uint8_t* p = DibRow(image.dib, 4) + 3 * x;
      if (p[2] < 255) {
        EXPECT_EQ(p[2] - p[1], 40) << x;
      }
    }
    for (int32_t x = 0; x < 64; ++x) overshoot[i] = std::max(overshoot[i], channel(image.dib, x) - 180);
  }
  EXPECT_LT(overshoot[0], overshoot[1]);
  EXPECT_LT(overshoot[1], overshoot[2]);
  EXPECT_DOUBLE_EQ(SharpenSigma(kSharpenStandard, 2048, 1365), 2048.0 / 3000);
}
