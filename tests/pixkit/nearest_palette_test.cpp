// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "pixkit/pixkit.h"

namespace {

uint32_t plain_nearest(const PixkitLogPalette& p, uint32_t c) {
  const int r = c & 255, g = (c >> 8) & 255, b = (c >> 16) & 255;
  uint32_t best = 0;
  long best_d = -1;
  for (unsigned i = 0; i < p.palNumEntries; ++i) {
    const long dr = r - p.palPalEntry[i].peRed, dg = g - p.palPalEntry[i].peGreen,
               db = b - p.palPalEntry[i].peBlue;
    const long d = dr * dr + dg * dg + db * db;
    if (best_d < 0 || d < best_d) {
      best_d = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

TEST(NearestPalette, AgreesWithAPlainSearchIncludingRepeatedLookups) {
  std::mt19937 rng(7);
  PixkitLogPalette log{};
  log.palVersion = 0x300;
  log.palNumEntries = 200;
  for (int i = 0; i < 200; ++i)
    log.palPalEntry[i] = PixkitPaletteEntry{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
  PixkitPaletteHandle h = CreatePalette(&log);
  ASSERT_NE(h, nullptr);
  std::vector<uint32_t> colours;
  for (int i = 0; i < 20000; ++i) colours.push_back(rng() & 0xFFFFFF);
  for (int pass = 0; pass < 2; ++pass)
    for (uint32_t c : colours)
      ASSERT_EQ(GetNearestPaletteIndex(h, c), plain_nearest(log, c)) << std::hex << c;
  DeletePalette(h);
}

TEST(NearestPalette, TiesGoToTheLowestIndex) {
  PixkitLogPalette log{};
  log.palNumEntries = 3;
  log.palPalEntry[0] = {10, 0, 0, 0};
  log.palPalEntry[1] = {0, 0, 0, 0};
  log.palPalEntry[2] = {0, 0, 0, 0};
  PixkitPaletteHandle h = CreatePalette(&log);
  EXPECT_EQ(GetNearestPaletteIndex(h, 5), 0u);  // 5 from entry 0 and from entry 1
  EXPECT_EQ(GetNearestPaletteIndex(h, 0), 1u);
  DeletePalette(h);
  EXPECT_EQ(GetNearestPaletteIndex(nullptr, 0), 0u);
}

TEST(NearestPalette, RefusesEmptyOrOversizedPalettes) {
  PixkitLogPalette log{};
  log.palNumEntries = 0;
  EXPECT_EQ(CreatePalette(&log), nullptr);
  log.palNumEntries = 257;
  EXPECT_EQ(CreatePalette(&log), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

TEST(NearestPalette, FinderAgreesWithTheQueryOnLatticeAndRepeatedColours) {
  // Lattice colours with repeats, as a reduced picture's palette has them,
  // make many equal distances: the finder must pick the same lowest index.
  std::mt19937 rng(11);
  PixkitLogPalette log{};
  log.palVersion = 0x300;
  log.palNumEntries = 256;
  for (int i = 0; i < 256; ++i)
    log.palPalEntry[i] = PixkitPaletteEntry{uint8_t((rng() % 16) * 16), uint8_t((rng() % 16) * 16),
                                            uint8_t((rng() % 16) * 16), 0};
  PixkitPaletteHandle h = CreatePalette(&log);
  PixkitNearestFinderHandle finder = CreateNearestFinder(h);
  ASSERT_NE(finder, nullptr);
  for (int i = 0; i < 200000; ++i) {
    const uint32_t c = rng() & 0xFFFFFF;
    ASSERT_EQ(FindNearestPaletteIndex(finder, c), plain_nearest(log, c)) << std::hex << c;
  }
  DeleteNearestFinder(finder);
  DeletePalette(h);
  EXPECT_EQ(CreateNearestFinder(nullptr), nullptr);
  EXPECT_EQ(FindNearestPaletteIndex(nullptr, 0), 0u);
}

TEST(NearestPalette, CellTableReadInlineAgreesWithThePlainSearch) {
  // Few distinct lattice colours, many repeats: cells with long lists, with
  // padded short lists and not yet made ones all occur.
  std::mt19937 rng(5);
  PixkitLogPalette log{};
  log.palNumEntries = 256;
  for (int i = 0; i < 256; ++i)
    log.palPalEntry[i] = PixkitPaletteEntry{uint8_t((rng() % 6) * 48), uint8_t((rng() % 6) * 48),
                                            uint8_t((rng() % 6) * 48), 0};
  PixkitPaletteHandle h = CreatePalette(&log);
  PixkitNearestFinderHandle finder = CreateNearestFinder(h);
  PixkitNearestCells cells{};
  ASSERT_EQ(GetNearestCells(finder, &cells), 1);
  for (int pass = 0; pass < 2; ++pass) {
    std::mt19937 colours(9);  // the same colours again once their cells are made
    for (int i = 0; i < 100000; ++i) {
      const uint32_t c = colours() & 0xFFFFFF;
      ASSERT_EQ(PixkitFindNearestInCells(&cells, finder, int(c & 255), int((c >> 8) & 255), int(c >> 16)),
                plain_nearest(log, c))
          << std::hex << c;
    }
  }
  DeleteNearestFinder(finder);
  DeletePalette(h);
  EXPECT_EQ(GetNearestCells(nullptr, &cells), 0);
}
