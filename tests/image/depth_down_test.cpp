// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/depth_down.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "image/build_palette.h"
#include "image/dib_access.h"
#include "image/dither_to_palette.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

TDibImage filled_24bit(int w, int h, uint32_t colour) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) setpixel(&d, x, y, colour);
  return d;
}

uint32_t palette_colour_at(const TDibImage& d, int x, int y) {
  const PixkitPaletteEntry& e = d.LogPalette.palPalEntry[getpixel(&d, x, y)];
  return rgb(e.peRed, e.peGreen, e.peBlue);
}

// A photo-like 24-bit picture with smooth gradients and some noise.
TDibImage gradient_24bit(int w, int h) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const uint32_t noise = (seed >> 16) & 15;
      setpixel(&d, x, y, rgb((x * 255 / w + noise) & 255, (y * 255 / h) & 255, ((x + y) * 97 + noise) & 255));
    }
  return d;
}

std::vector<uint8_t> pixel_bytes(const TDibImage& d) {
  return std::vector<uint8_t>(d.Bits, d.Bits + size_t(d.RowBytes) * size_t(DibHeight(d)));
}

}  // namespace

TEST(BuildPalette, TwoCellsFirstThenEmptyCellsInTheSortsOrder) {
  TDibImage d = newdib(2, 1, 24, nullptr, 0);
  setpixel(&d, 0, 0, rgb(255, 0, 0));
  setpixel(&d, 1, 0, rgb(0, 0, 255));
  const std::vector<PaletteColour> p = BuildPalette(d, 16, 5);
  ASSERT_EQ(p.size(), 16u);
  const uint8_t expected[5][3] = {{0, 0, 224}, {224, 0, 0}, {64, 160, 96}, {64, 160, 64}, {64, 160, 32}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(p[size_t(i)].red, expected[i][0]) << i;
    EXPECT_EQ(p[size_t(i)].green, expected[i][1]) << i;
    EXPECT_EQ(p[size_t(i)].blue, expected[i][2]) << i;
  }
  deldib(&d);
}

TEST(BuildPalette, ACellPastTheCounterLimitStaysFirst) {
  // 1000 pixels of one colour come first, then 89000 of another: the second
  // cell saturates, every counter halves, and it still leads.
  TDibImage d = newdib(300, 300, 24, nullptr, 0);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 300; ++x)
      setpixel(&d, x, y, y * 300 + x < 1000 ? rgb(10, 20, 30) : rgb(200, 100, 50));
  const std::vector<PaletteColour> p = BuildPalette(d, 256, 4);
  EXPECT_EQ(rgb(p[0].red, p[0].green, p[0].blue), rgb(192, 96, 48));
  EXPECT_EQ(rgb(p[1].red, p[1].green, p[1].blue), rgb(0, 16, 16));
  deldib(&d);
}

TEST(SortCellCounts, SortsAscendingAndCarriesTheCodes) {
  std::vector<uint16_t> counts = {5, 1, 4, 1, 5, 9, 2, 6, 0, 0, 65535};
  std::vector<uint16_t> codes(counts.size());
  for (size_t i = 0; i < codes.size(); ++i) codes[i] = uint16_t(i);
  const std::vector<uint16_t> before = counts;
  SortCellCounts(counts.data(), codes.data(), 0, int(counts.size()) - 1);
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(before[codes[i]], counts[i]);
}

TEST(DepthDown, PureWhiteToFourBitsIsTheTopCellCornerThroughout) {
  TDibImage d = filled_24bit(7, 5, rgb(255, 255, 255));
  DepthDownTo(d, 4);
  ASSERT_EQ(DibBitCount(d), 4);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(palette_colour_at(d, x, y), rgb(224, 224, 224));
  // Both palette copies agree.
  EXPECT_EQ(d.Info->bmiColors[0].rgbRed, 224);
  EXPECT_EQ(d.Info->bmiColors[0].rgbBlue, 224);
  deldib(&d);
}

TEST(DepthDown, OneColourOnItsCellCornerGivesIndexZeroEverywhere) {
  TDibImage d = filled_24bit(9, 4, rgb(96, 144, 192));
  DepthDownTo(d, 8);
  ASSERT_EQ(DibBitCount(d), 8);
  EXPECT_EQ(d.LogPalette.palPalEntry[0].peRed, 96);
  EXPECT_EQ(d.LogPalette.palPalEntry[0].peGreen, 144);
  EXPECT_EQ(d.LogPalette.palPalEntry[0].peBlue, 192);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(getpixel(&d, x, y), 0u);
  deldib(&d);
}

TEST(DepthDown, KeepsTheResolutionAndLeavesOtherDepthsAlone) {
  TDibImage d = filled_24bit(3, 3, rgb(1, 2, 3));
  d.Info->bmiHeader.biXPelsPerMeter = 11811;  // 300 dpi
  d.Info->bmiHeader.biYPelsPerMeter = 11811;
  DepthDownTo(d, 16);
  EXPECT_EQ(DibBitCount(d), 24);
  DepthDownTo(d, 1);
  ASSERT_EQ(DibBitCount(d), 1);
  EXPECT_EQ(d.Info->bmiHeader.biXPelsPerMeter, 11811);
  EXPECT_EQ(d.Info->bmiHeader.biYPelsPerMeter, 11811);
  deldib(&d);
}

TEST(Dither, HandWorkedThreeByThreeOnBlackAndWhite) {
  const int grey[3][3] = {{100, 200, 50}, {150, 30, 220}, {90, 128, 60}};
  TDibImage src = newdib(3, 3, 24, nullptr, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) setpixel(&src, x, y, rgb(grey[y][x], grey[y][x], grey[y][x]));
  TDibImage target = newdib(3, 3, 1, nullptr, 0);  // black, white
  DitherToPalette(src, target);
  // Row 1 runs right to left; -270/16 truncates to -16 in row 2.
  const uint32_t expected[3][3] = {{0, 1, 0}, {1, 0, 1}, {0, 1, 0}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(getpixel(&target, x, y), expected[y][x]) << x << "," << y;
  deldib(&src);
  deldib(&target);
}

TEST(Dither, MidGreyOnBlackAndWhiteUsesBothIndices) {
  TDibImage src = filled_24bit(16, 16, rgb(128, 128, 128));
  TDibImage target = newdib(16, 16, 1, nullptr, 0);
  DitherToPalette(src, target);
  std::set<uint32_t> seen;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) seen.insert(getpixel(&target, x, y));
  EXPECT_EQ(seen, (std::set<uint32_t>{0, 1}));
  deldib(&src);
  deldib(&target);
}

TEST(Dither, WidthOnePassesOnlyTheShareBelow) {
  // Each pixel of a one-pixel column gets only 5/16 of the error above it.
  TDibImage src = filled_24bit(1, 4, rgb(100, 100, 100));
  TDibImage target = newdib(1, 4, 1, nullptr, 0);
  DitherToPalette(src, target);
  // 100 -> 0 (e 100); 100+31=131 -> 1 (e -124); 100-38=62 -> 0 (e 62);
  // 100+19=119 -> 0.
  const uint32_t expected[4] = {0, 1, 0, 0};
  for (int y = 0; y < 4; ++y) EXPECT_EQ(getpixel(&target, 0, y), expected[y]) << y;
  deldib(&src);
  deldib(&target);
}

TEST(DepthDown, TwoThreadsGiveTheBytesOfOneAfterTheOther) {
  TDibImage first = gradient_24bit(301, 203);
  TDibImage second = gradient_24bit(301, 203);
  TDibImage reference = gradient_24bit(301, 203);
  DepthDownTo(reference, 8);
  std::thread a([&] { DepthDownTo(first, 8); });
  std::thread b([&] { DepthDownTo(second, 8); });
  a.join();
  b.join();
  EXPECT_EQ(pixel_bytes(first), pixel_bytes(reference));
  EXPECT_EQ(pixel_bytes(second), pixel_bytes(reference));
  EXPECT_EQ(0, memcmp(first.LogPalette.palPalEntry, reference.LogPalette.palPalEntry, 1024));
  deldib(&first);
  deldib(&second);
  deldib(&reference);
}
