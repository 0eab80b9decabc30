// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/temp_folder.h"

namespace {

using Owned = testsupport::OwnedDib;

}  // namespace

TEST(NewDib, EveryBitCountGivesZeroedPixelsAndPaddedRows) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    Owned d(newdib(5, 3, bits, nullptr, 0));
    ASSERT_NE(d.dib.Storage, nullptr) << bits;
    ASSERT_NE(d.dib.Bits, nullptr) << bits;
    EXPECT_EQ(d.dib.Info->bmiHeader.biWidth, 5);
    EXPECT_EQ(d.dib.Info->bmiHeader.biHeight, 3);
    EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, bits);
    EXPECT_EQ(d.dib.RowBytes % 4, 0) << bits;
    EXPECT_GE(d.dib.RowBytes * 8, 5 * bits);
    for (int i = 0; i < d.dib.RowBytes * 3; ++i) ASSERT_EQ(d.dib.Bits[i], 0) << bits;
    EXPECT_EQ(d.dib.HasPalette, bits <= 8 ? 1 : 0);
    EXPECT_EQ(d.dib.PaletteHandle != nullptr, bits <= 8);
  }
}

TEST(NewDib, DefaultPalettes) {
  Owned mono(newdib(1, 1, 1, nullptr, 0));
  EXPECT_EQ(mono.dib.LogPalette.palNumEntries, 2);
  EXPECT_EQ(mono.dib.LogPalette.palPalEntry[0].peRed, 0);
  EXPECT_EQ(mono.dib.LogPalette.palPalEntry[1].peRed, 255);
  EXPECT_EQ(mono.dib.LogPalette.palPalEntry[1].peBlue, 255);

  Owned vga(newdib(1, 1, 4, nullptr, 0));
  EXPECT_EQ(vga.dib.LogPalette.palNumEntries, 16);
  EXPECT_EQ(vga.dib.LogPalette.palPalEntry[15].peGreen, 255);
  EXPECT_EQ(vga.dib.LogPalette.palPalEntry[1].peBlue, 170);

  Owned cube(newdib(1, 1, 8, nullptr, 0));
  EXPECT_EQ(cube.dib.LogPalette.palNumEntries, 256);
  // Both copies agree, in their own channel orders.
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(cube.dib.LogPalette.palPalEntry[i].peRed, cube.dib.Info->bmiColors[i].rgbRed);
    EXPECT_EQ(cube.dib.LogPalette.palPalEntry[i].peBlue, cube.dib.Info->bmiColors[i].rgbBlue);
  }
}

TEST(NewDib, CopiesTheRequestedPaletteEntriesFromTheSource) {
  Owned source(newdib(2, 2, 8, nullptr, 0));
  for (int i = 0; i < 256; ++i) source.dib.Info->bmiColors[i] = PixkitRgbQuad{uint8_t(i), 1, 2, 0};
  Owned copy(newdib(2, 2, 8, source.dib.Info, 3));
  EXPECT_EQ(copy.dib.LogPalette.palPalEntry[2].peBlue, 2);
  EXPECT_EQ(copy.dib.LogPalette.palPalEntry[2].peRed, 2);
  EXPECT_EQ(copy.dib.LogPalette.palPalEntry[2].peGreen, 1);
  // Entry 3 was not asked for: it keeps the default.
  Owned plain(newdib(2, 2, 8, nullptr, 0));
  EXPECT_EQ(0, std::memcmp(&copy.dib.LogPalette.palPalEntry[3], &plain.dib.LogPalette.palPalEntry[3], 4));
}

TEST(NewDib, RefusesWithoutCrashing) {
  for (auto [w, h, bits] : {std::tuple{0, 5, 24},
                            {5, 0, 24},
                            {-1, 5, 24},
                            {5, 5, 7},
                            {5, 5, 2},
                            {40000, 1, 24},
                            {20000, 20000, 24}}) {
    TDibImage d = newdib(w, h, bits, nullptr, 0);
    EXPECT_EQ(d.Storage, nullptr);
    EXPECT_EQ(d.Bits, nullptr);
    deldib(&d);  // harmless on a failed record
  }
}

TEST(NewDib, LimitsCanBeLoweredAndRestored) {
  PixkitSetLimits(100, 1000);
  TDibImage d = newdib(101, 1, 24, nullptr, 0);
  EXPECT_EQ(d.Bits, nullptr);
  d = newdib(50, 21, 24, nullptr, 0);
  EXPECT_EQ(d.Bits, nullptr);
  PixkitSetLimits(0, 0);
  Owned ok(newdib(101, 21, 24, nullptr, 0));
  EXPECT_NE(ok.dib.Bits, nullptr);
}

TEST(DelDib, SecondReleaseAndCopiesOfAReleasedRecordAreIgnored) {
  TDibImage first = newdib(4, 4, 8, nullptr, 0);
  const TDibImage copy = first;
  deldib(&first);
  deldib(&first);
  deldib(&copy);
  // A new record may get the released storage's address; a stale copy
  // still must not release it.
  TDibImage second = newdib(4, 4, 8, nullptr, 0);
  deldib(&copy);
  EXPECT_EQ(getpixel(&second, 0, 0), 0u);
  testsupport::TempDir dir;
  EXPECT_EQ(SaveDib(&second, dir.file("b.bmp").c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&second);
  deldib(&second);
}
