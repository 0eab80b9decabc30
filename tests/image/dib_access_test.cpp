// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "image/dib_access.h"

TEST(DibAccess, ReadsTheHeaderAndCountsColoursWithoutOverflow) {
  TDibImage d = newdib(7, 3, 4, nullptr, 0);
  EXPECT_EQ(DibWidth(d), 7);
  EXPECT_EQ(DibHeight(d), 3);
  EXPECT_EQ(DibBitCount(d), 4);
  EXPECT_EQ(DibColorCount(d), 16u);
  deldib(&d);
  d = newdib(1, 1, 1, nullptr, 0);
  EXPECT_EQ(DibColorCount(d), 2u);
  deldib(&d);
  d = newdib(1, 1, 8, nullptr, 0);
  EXPECT_EQ(DibColorCount(d), 256u);
  deldib(&d);
  d = newdib(1, 1, 32, nullptr, 0);
  EXPECT_EQ(DibColorCount(d), uint64_t(1) << 32);
  deldib(&d);
}

TEST(DibAccess, RowHelperMatchesGetPixel) {
  TDibImage d = newdib(3, 4, 24, nullptr, 0);
  setpixel(&d, 1, 0, 0x112233);
  const uint8_t* row = DibRow(d, 0);
  EXPECT_EQ(row[3], 0x11);  // blue
  EXPECT_EQ(row[5], 0x33);  // red
  EXPECT_EQ(row, d.Bits + 3 * d.RowBytes);
  deldib(&d);
}
