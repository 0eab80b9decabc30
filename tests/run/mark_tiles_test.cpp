// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "run/mark_sprite.h"

namespace {

// The corners ForEachTileCorner visits on an image_width x image_height
// image for a grid of block_width x block_height marks anchored at
// (anchor_left, anchor_top).
std::vector<TileCorner> TileCorners(int64_t image_width, int64_t image_height, int64_t anchor_left,
                                    int64_t anchor_top, int64_t block_width, int64_t block_height,
                                    double gap_x, double gap_y, double angle, int64_t reach) {
  std::vector<TileCorner> corners;
  const TileGrid grid{anchor_left, anchor_top, block_width, block_height, gap_x, gap_y, angle, reach};
  ForEachTileCorner(image_width, image_height, grid, [&](const TileCorner& c) { corners.push_back(c); });
  return corners;
}

std::vector<std::pair<int64_t, int64_t>> corners_of(const std::vector<TileCorner>& tiles) {
  std::vector<std::pair<int64_t, int64_t>> out;
  for (const TileCorner& t : tiles) out.emplace_back(t.left, t.top);
  return out;
}

}  // namespace

// 10 x 10 marks, gaps 10: steps of 20; odd rows shifted by 10. The mark at
// -10 in row 1 ends exactly at the image's left edge and is not listed.
TEST(MarkTiles, UnturnedGridShiftsEveryOtherRowByHalfAStep) {
  const std::vector<std::pair<int64_t, int64_t>> expected = {
      {0, 0},   {20, 0},  {40, 0}, {60, 0},  {80, 0},  {10, 20}, {30, 20}, {50, 20},
      {70, 20}, {90, 20}, {0, 40}, {20, 40}, {40, 40}, {60, 40}, {80, 40}};
  EXPECT_EQ(corners_of(TileCorners(100, 60, 0, 0, 10, 10, 10, 10, 0, 0)), expected);
}

// Anchored at (45, 25) the mark's row is an even one, the rows above and
// below are shifted: six marks from -5 to 95 there, five from 5 to 85 in it.
TEST(MarkTiles, GridIsAnchoredAtThePlacedMark) {
  const std::vector<TileCorner> tiles = TileCorners(100, 60, 45, 25, 10, 10, 10, 10, 0, 0);
  ASSERT_EQ(tiles.size(), 17u);
  EXPECT_EQ(corners_of(tiles)[0], std::make_pair(int64_t(-5), int64_t(5)));
  EXPECT_EQ(corners_of(tiles)[6], std::make_pair(int64_t(5), int64_t(25)));
  bool anchor_listed = false;
  for (const TileCorner& t : tiles) anchor_listed |= t.left == 45 && t.top == 25;
  EXPECT_TRUE(anchor_listed);
}

// A 20 x 10 mark turned a quarter counter-clockwise stands 10 wide and 20
// high; its grid's rows become columns 10 apart, marks 20 apart in them,
// every other column shifted by 10 upward. On 60 x 60 around (30, 30):
// seven columns, alternately three and four marks.
TEST(MarkTiles, QuarterTurnTurnsTheGrid) {
  const std::vector<TileCorner> tiles = TileCorners(60, 60, 20, 25, 20, 10, 0, 0, 90, 0);
  EXPECT_EQ(tiles.size(), 25u);
  std::vector<std::pair<int64_t, int64_t>> in_column_30, in_column_40;
  for (const TileCorner& t : tiles) {
    if (t.left == 20) in_column_30.emplace_back(t.left, t.top);
    if (t.left == 30) in_column_40.emplace_back(t.left, t.top);
  }
  // Block corners: the turned mark centred at (30, 30 - gx) has its unturned
  // corner 10 left and 5 above the centre.
  const std::vector<std::pair<int64_t, int64_t>> centre_column = {{20, 45}, {20, 25}, {20, 5}};
  const std::vector<std::pair<int64_t, int64_t>> shifted_column = {{30, 55}, {30, 35}, {30, 15}, {30, -5}};
  EXPECT_EQ(in_column_30, centre_column);
  EXPECT_EQ(in_column_40, shifted_column);
}

// A grid of 1 x 1 marks without gaps over 2000 x 1000 lands on all two
// million pixels, each once (the shifted rows' half-pixel marks at the
// right edge round to just outside); an empty block visits nothing.
TEST(MarkTiles, DenseGridVisitsEveryMarkAndAnEmptyBlockNone) {
  std::vector<uint8_t> visits(2000 * 1000, 0);
  ForEachTileCorner(2000, 1000, TileGrid{0, 0, 1, 1, 0, 0, 0, 0}, [&](const TileCorner& c) {
    if (c.left >= 0 && c.top >= 0 && c.left < 2000 && c.top < 1000) ++visits[size_t(c.top * 2000 + c.left)];
  });
  EXPECT_EQ(std::count(visits.begin(), visits.end(), 1), 2000 * 1000);
  EXPECT_TRUE(TileCorners(100, 100, 0, 0, 0, 10, 0, 0, 0, 0).empty());
}
