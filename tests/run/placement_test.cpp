// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/placement.h"

#include <gtest/gtest.h>

namespace {

struct Corner {
  int64_t left, top;
};

Corner corner_of(int position, int64_t w, int64_t h, int64_t bw, int64_t bh, int64_t m) {
  const BlockPlacement p = PlaceBlock(position, w, h, bw, bh, m);
  EXPECT_TRUE(p.valid) << position;
  return {p.left, p.top};
}

}  // namespace

TEST(Placement, FixedPlacementsOn800x600WithMargin20) {
  // 320 x 200 block: the worked figures for the corners and the centre.
  const Corner expected[9] = {{20, 20},   {240, 20}, {460, 20},  {20, 200}, {240, 200},
                              {460, 200}, {20, 380}, {240, 380}, {460, 380}};
  for (int p = 0; p < 9; ++p) {
    const Corner c = corner_of(p, 800, 600, 320, 200, 20);
    EXPECT_EQ(c.left, expected[p].left) << p;
    EXPECT_EQ(c.top, expected[p].top) << p;
    const BlockPlacement full = PlaceBlock(p, 800, 600, 320, 200, 20);
    EXPECT_EQ(full.width, 320);
    EXPECT_EQ(full.height, 200);
    EXPECT_EQ(full.scale, 1.0);
  }
}

TEST(Placement, ThreeLineTextBlockAtBottomRight) {
  const Corner c = corner_of(8, 800, 600, 200, 66, 20);
  EXPECT_EQ(c.left, 580);
  EXPECT_EQ(c.top, 514);
}

TEST(Placement, CentringTruncatesTowardZero) {
  // (100 - 105) div 2 is -2, not -3.
  const Corner c = corner_of(4, 100, 50, 105, 51, 0);
  EXPECT_EQ(c.left, -2);
  EXPECT_EQ(c.top, 0);  // (50 - 51) div 2 is 0
  EXPECT_EQ(corner_of(1, 100, 50, 105, 10, 0).left, -2);
  EXPECT_EQ(corner_of(3, 100, 50, 10, 53, 0).top, -1);  // -3 div 2
}

TEST(Placement, FittedScalesIntoTheBoxByTheWidths) {
  const BlockPlacement p = PlaceBlock(9, 800, 600, 320, 200, 20);
  ASSERT_TRUE(p.valid);
  EXPECT_EQ(p.width, 760);
  EXPECT_EQ(p.height, 475);
  EXPECT_EQ(p.left, 20);
  EXPECT_EQ(p.top, 62);  // 85 div 2 is 42
  EXPECT_EQ(p.scale, 2.375);
}

TEST(Placement, FittedTooTallTakesTheBoxHeight) {
  // Box 560 x 560: nh = 560 * 200 / 100 = 1120 exceeds it; nh = 560, nw = 280.
  const BlockPlacement p = PlaceBlock(9, 600, 600, 100, 200, 20);
  ASSERT_TRUE(p.valid);
  EXPECT_EQ(p.width, 280);
  EXPECT_EQ(p.height, 560);
  EXPECT_EQ(p.left, 160);
  EXPECT_EQ(p.top, 20);
  EXPECT_EQ(p.scale, 2.8);
}

TEST(Placement, CoveringScalesOverTheBoxAndOverflowsSideways) {
  const BlockPlacement p = PlaceBlock(10, 800, 600, 320, 200, 20);
  ASSERT_TRUE(p.valid);
  EXPECT_EQ(p.height, 560);
  EXPECT_EQ(p.width, 896);
  EXPECT_EQ(p.left, -48);
  EXPECT_EQ(p.top, 20);
  EXPECT_EQ(p.scale, 2.8);
}

TEST(Placement, EqualHeightsKeepTheWidthResult) {
  for (int position : {9, 10}) {
    const BlockPlacement p = PlaceBlock(position, 800, 600, 4, 3, 0);
    ASSERT_TRUE(p.valid);
    EXPECT_EQ(p.width, 800);
    EXPECT_EQ(p.height, 600);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    EXPECT_EQ(p.scale, 200.0);
  }
}

TEST(Placement, IndexOutsideTheListPlacesNothing) {
  EXPECT_FALSE(PlaceBlock(-1, 800, 600, 10, 10, 0).valid);
  EXPECT_FALSE(PlaceBlock(11, 800, 600, 10, 10, 0).valid);
}

TEST(Placement, ScaledPlacementWithoutPositiveBoxOrSizePlacesNothing) {
  EXPECT_FALSE(PlaceBlock(9, 100, 100, 10, 10, 50).valid);   // box 0 x 0
  EXPECT_FALSE(PlaceBlock(10, 100, 300, 10, 10, 60).valid);  // box -20 wide
  EXPECT_FALSE(PlaceBlock(9, 10, 100, 100, 1, 0).valid);     // nh = 10 * 1 / 100 = 0
  EXPECT_TRUE(PlaceBlock(10, 10, 100, 100, 1, 0).valid);     // raised to the box: nw 10000
  EXPECT_FALSE(PlaceBlock(9, 100, 100, 0, 10, 0).valid);     // empty picture
  // The fixed placements do not scale and keep working with any margin.
  EXPECT_TRUE(PlaceBlock(4, 100, 100, 10, 10, 70).valid);
}

TEST(Placement, ExtremeMarginsAndSizesStayIn64Bits) {
  // Box 4294967295 a side; nh = 4294967295 / 2147483647 = 2 is raised to the
  // box, and nw = 4294967295 * 2147483647 just fits.
  const BlockPlacement p = PlaceBlock(10, 2147483647, 2147483647, 2147483647, 1, -(int64_t(1) << 30));
  ASSERT_TRUE(p.valid);
  EXPECT_EQ(p.height, 4294967295);
  EXPECT_EQ(p.width, 9223372030412324865);
  EXPECT_FALSE(PlaceBlock(4, 800, 600, 10, 10, int64_t(1) << 40).valid);
  EXPECT_FALSE(PlaceBlock(4, 800, 600, -1, 10, 0).valid);
}
