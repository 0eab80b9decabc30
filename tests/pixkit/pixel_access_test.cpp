// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"

namespace {
using Owned = testsupport::OwnedDib;
uint8_t* memory_row(const TDibImage& d, int y) {
  return d.Bits + (d.Info->bmiHeader.biHeight - 1 - y) * d.RowBytes;
}
}  // namespace

TEST(PixelAccess, TopLeftOriginOverBottomUpRows) {
  Owned d(newdib(3, 2, 24, nullptr, 0));
  setpixel(&d.dib, 0, 0, 0x030201);  // red 1, green 2, blue 3
  // Image row 0 is the last memory row, stored blue, green, red.
  EXPECT_EQ(d.dib.Bits[d.dib.RowBytes + 0], 3);
  EXPECT_EQ(d.dib.Bits[d.dib.RowBytes + 1], 2);
  EXPECT_EQ(d.dib.Bits[d.dib.RowBytes + 2], 1);
  EXPECT_EQ(getpixel(&d.dib, 0, 0), 0x030201u);
  EXPECT_EQ(getpixel(&d.dib, 0, 1), 0u);
}

TEST(PixelAccess, FourBitOddWidthUsesHighNibbleForEvenColumns) {
  Owned d(newdib(3, 2, 4, nullptr, 0));
  setpixel(&d.dib, 0, 1, 0xA);
  setpixel(&d.dib, 1, 1, 0x5);
  setpixel(&d.dib, 2, 1, 0xC);
  uint8_t* row = memory_row(d.dib, 1);
  EXPECT_EQ(row[0], 0xA5);
  EXPECT_EQ(row[1], 0xC0);  // low nibble of the last byte is padding
  EXPECT_EQ(getpixel(&d.dib, 2, 1), 0xCu);
  EXPECT_EQ(getpixel(&d.dib, 1, 1), 0x5u);
  EXPECT_EQ(getpixel(&d.dib, 1, 0), 0u);
}

TEST(PixelAccess, OneBitPacksFromTheHighBit) {
  Owned d(newdib(9, 1, 1, nullptr, 0));
  setpixel(&d.dib, 0, 0, 1);
  setpixel(&d.dib, 8, 0, 1);
  EXPECT_EQ(d.dib.Bits[0], 0x80);
  EXPECT_EQ(d.dib.Bits[1], 0x80);
  setpixel(&d.dib, 0, 0, 0);
  EXPECT_EQ(d.dib.Bits[0], 0x00);
  EXPECT_EQ(getpixel(&d.dib, 8, 0), 1u);
}

TEST(PixelAccess, SixteenBitIsFiveFiveFive) {
  Owned d(newdib(1, 1, 16, nullptr, 0));
  setpixel(&d.dib, 0, 0, 0xFFFFFF);
  EXPECT_EQ(d.dib.Bits[0] | (d.dib.Bits[1] << 8), 0x7FFF);
  EXPECT_EQ(getpixel(&d.dib, 0, 0), 0xF8F8F8u);
}

TEST(PixelAccess, ThirtyTwoBitCarriesAlphaInTheTopByte) {
  Owned d(newdib(1, 1, 32, nullptr, 0));
  setpixel(&d.dib, 0, 0, 0x80030201);
  EXPECT_EQ(d.dib.Bits[3], 0x80);
  EXPECT_EQ(getpixel(&d.dib, 0, 0), 0x80030201u);
}

TEST(PixelAccess, OutsideThePictureReadsZeroAndWritesNothing) {
  Owned d(newdib(2, 2, 8, nullptr, 0));
  setpixel(&d.dib, 2, 0, 7);
  setpixel(&d.dib, -1, 0, 7);
  setpixel(&d.dib, 0, 2, 7);
  for (int i = 0; i < d.dib.RowBytes * 2; ++i) EXPECT_EQ(d.dib.Bits[i], 0);
  EXPECT_EQ(getpixel(&d.dib, 5, 5), 0u);
  TDibImage empty{};
  EXPECT_EQ(getpixel(&empty, 0, 0), 0u);
  setpixel(&empty, 0, 0, 1);
}
