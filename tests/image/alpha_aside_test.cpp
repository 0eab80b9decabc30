// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "image/depth_up.h"
#include "image/dib_access.h"

TEST(Alpha, SetAsideGivesTwentyFourBitsAndRestoreBringsAlphaBack) {
  TDibImage d = newdib(2, 2, 32, nullptr, 0);
  setpixel(&d, 0, 0, 0x80112233);  // alpha 0x80, blue 0x11, green 0x22, red 0x33
  setpixel(&d, 1, 1, 0x00445566);
  setpixel(&d, 1, 0, 0xFF000000);
  d.Info->bmiHeader.biXPelsPerMeter = 3780;

  AlphaPlane plane = SetAlphaAside(d);
  ASSERT_FALSE(plane.empty());
  ASSERT_EQ(DibBitCount(d), 24);
  EXPECT_EQ(getpixel(&d, 0, 0), 0x112233u);
  EXPECT_EQ(getpixel(&d, 1, 1), 0x445566u);
  EXPECT_EQ(plane.width, 2);
  EXPECT_EQ(plane.height, 2);
  EXPECT_EQ(plane.alpha, (std::vector<uint8_t>{0x80, 0xFF, 0x00, 0x00}));  // top row first

  setpixel(&d, 0, 0, 0x010203);  // stamped while at 24 bits
  RestoreAlpha(d, plane);
  ASSERT_EQ(DibBitCount(d), 32);
  EXPECT_EQ(getpixel(&d, 0, 0), 0x80010203u);
  EXPECT_EQ(getpixel(&d, 1, 0), 0xFF000000u);
  EXPECT_EQ(getpixel(&d, 1, 1), 0x00445566u);
  EXPECT_EQ(d.Info->bmiHeader.biXPelsPerMeter, 3780);
  deldib(&d);
}

TEST(Alpha, OtherDepthsAndMismatchedPlanesAreLeftAlone) {
  TDibImage d = newdib(2, 2, 24, nullptr, 0);
  TDibImage before;
  std::memcpy(&before, &d, sizeof d);
  AlphaPlane plane = SetAlphaAside(d);
  EXPECT_TRUE(plane.empty());
  RestoreAlpha(d, plane);  // empty plane: nothing to restore
  FlattenOverWhite(d);
  EXPECT_EQ(std::memcmp(&before, &d, sizeof d), 0);

  AlphaPlane wrong_size;
  wrong_size.width = 3;
  wrong_size.height = 2;
  wrong_size.alpha.assign(6, 0xFF);
  RestoreAlpha(d, wrong_size);
  EXPECT_EQ(std::memcmp(&before, &d, sizeof d), 0);
  deldib(&d);
}

TEST(Alpha, FlattenComposesOverWhite) {
  TDibImage d = newdib(4, 1, 32, nullptr, 0);
  setpixel(&d, 0, 0, 0xFF102030);  // opaque: colour kept
  setpixel(&d, 1, 0, 0x00102030);  // transparent: white
  // alpha 128 over white: (c * 128 + 255 * 127 + 127) / 255
  setpixel(&d, 2, 0, 0x80000000);  // 0 -> 127
  setpixel(&d, 3, 0, 0x80FF64C8);  // red 200 -> 227, green 100 -> 177, blue 255 -> 255
  FlattenOverWhite(d);
  ASSERT_EQ(DibBitCount(d), 24);
  EXPECT_EQ(getpixel(&d, 0, 0), 0x102030u);
  EXPECT_EQ(getpixel(&d, 1, 0), 0xFFFFFFu);
  EXPECT_EQ(getpixel(&d, 2, 0), 0x7F7F7Fu);
  EXPECT_EQ(getpixel(&d, 3, 0), 0xFFB1E3u);
  deldib(&d);
}

TEST(Alpha, FlattenedLogoIsThenLeftAloneByPromotion) {
  TDibImage d = newdib(1, 1, 32, nullptr, 0);
  FlattenOverWhite(d);
  void* storage = d.Storage;
  DepthUpTo(d, 24);
  EXPECT_EQ(d.Storage, storage);
  EXPECT_EQ(getpixel(&d, 0, 0), 0xFFFFFFu);  // alpha 0 everywhere: white
  deldib(&d);
}
