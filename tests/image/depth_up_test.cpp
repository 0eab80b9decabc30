// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/depth_up.h"

#include <gtest/gtest.h>

#include <cstring>

#include "image/dib_access.h"

namespace {

// Colour value of a 24-bit pixel: red + 256 * green + 65536 * blue.
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

void set_log_entry(TDibImage& d, int i, uint8_t r, uint8_t g, uint8_t b) {
  d.LogPalette.palPalEntry[i].peRed = r;
  d.LogPalette.palPalEntry[i].peGreen = g;
  d.LogPalette.palPalEntry[i].peBlue = b;
}

void set_table_entry(TDibImage& d, int i, uint8_t r, uint8_t g, uint8_t b) {
  d.Info->bmiColors[i] = PixkitRgbQuad{b, g, r, 0};
}

}  // namespace

TEST(DepthUp, SixteenBitFullFieldsBecome248NotWhite) {
  TDibImage d = newdib(2, 1, 16, nullptr, 0);
  ASSERT_NE(d.Storage, nullptr);
  uint8_t* row = DibRow(d, 0);
  row[0] = 0xFF;  // 0xFFFF: all fields 31 and bit 15 set
  row[1] = 0xFF;
  row[2] = 0x1F;  // 0x001F: blue 31 only
  row[3] = 0x00;
  DepthUpTo(d, 24);
  ASSERT_EQ(DibBitCount(d), 24);
  EXPECT_EQ(getpixel(&d, 0, 0), rgb(248, 248, 248));
  EXPECT_EQ(getpixel(&d, 1, 0), rgb(0, 0, 248));
  deldib(&d);
}

TEST(DepthUp, SixteenBitFieldsExpandByShiftWithoutRounding) {
  TDibImage d = newdib(1, 2, 16, nullptr, 0);
  // red 1, green 2, blue 3: 0 00001 00010 00011 = 0x0443
  DibRow(d, 0)[0] = 0x43;
  DibRow(d, 0)[1] = 0x04;
  // red 16, green 0, blue 0 with bit 15 set: 1 10000 00000 00000 = 0xC000
  DibRow(d, 1)[0] = 0x00;
  DibRow(d, 1)[1] = 0xC0;
  DepthUpTo(d, 24);
  EXPECT_EQ(getpixel(&d, 0, 0), rgb(8, 16, 24));
  EXPECT_EQ(getpixel(&d, 0, 1), rgb(128, 0, 0));
  deldib(&d);
}

TEST(DepthUp, OneBitKeepsPaletteOrderWhiteZeroBlackOne) {
  TDibImage d = newdib(3, 2, 1, nullptr, 0);
  set_log_entry(d, 0, 255, 255, 255);
  set_log_entry(d, 1, 0, 0, 0);
  setpixel(&d, 1, 0, 1);
  setpixel(&d, 2, 1, 1);
  DepthUpTo(d, 24);
  ASSERT_EQ(DibBitCount(d), 24);
  EXPECT_EQ(getpixel(&d, 0, 0), rgb(255, 255, 255));
  EXPECT_EQ(getpixel(&d, 1, 0), rgb(0, 0, 0));
  EXPECT_EQ(getpixel(&d, 2, 0), rgb(255, 255, 255));
  EXPECT_EQ(getpixel(&d, 0, 1), rgb(255, 255, 255));
  EXPECT_EQ(getpixel(&d, 2, 1), rgb(0, 0, 0));
  deldib(&d);
}

TEST(DepthUp, PaletteColoursComeFromLogPaletteNotColourTable) {
  TDibImage one = newdib(1, 1, 1, nullptr, 0);
  set_table_entry(one, 0, 1, 2, 3);
  set_log_entry(one, 0, 10, 20, 30);
  DepthUpTo(one, 24);
  EXPECT_EQ(getpixel(&one, 0, 0), rgb(10, 20, 30));
  deldib(&one);

  TDibImage eight = newdib(2, 1, 8, nullptr, 0);
  DibRow(eight, 0)[0] = 200;
  DibRow(eight, 0)[1] = 7;
  set_table_entry(eight, 200, 1, 1, 1);
  set_log_entry(eight, 200, 40, 50, 60);
  set_log_entry(eight, 7, 70, 80, 90);
  DepthUpTo(eight, 24);
  EXPECT_EQ(getpixel(&eight, 0, 0), rgb(40, 50, 60));
  EXPECT_EQ(getpixel(&eight, 1, 0), rgb(70, 80, 90));
  deldib(&eight);
}

TEST(DepthUp, FourBitEvenColumnsUseHighNibble) {
  TDibImage d = newdib(3, 1, 4, nullptr, 0);
  DibRow(d, 0)[0] = 0x12;  // columns 0 and 1
  DibRow(d, 0)[1] = 0x3F;  // column 2 in the high nibble; the low one is padding
  for (int i = 0; i < 16; ++i) set_log_entry(d, i, uint8_t(i * 10), uint8_t(i), 0);
  DepthUpTo(d, 24);
  EXPECT_EQ(getpixel(&d, 0, 0), rgb(10, 1, 0));
  EXPECT_EQ(getpixel(&d, 1, 0), rgb(20, 2, 0));
  EXPECT_EQ(getpixel(&d, 2, 0), rgb(30, 3, 0));
  deldib(&d);
}

TEST(DepthUp, FourBitWidthOneReadsOnlyTheHighNibbleOfEachRow) {
  TDibImage d = newdib(1, 2, 4, nullptr, 0);
  DibRow(d, 0)[0] = 0x5A;
  DibRow(d, 1)[0] = 0xA5;
  for (int i = 0; i < 16; ++i) set_log_entry(d, i, uint8_t(i), 0, 0);
  DepthUpTo(d, 24);
  EXPECT_EQ(getpixel(&d, 0, 0), rgb(5, 0, 0));
  EXPECT_EQ(getpixel(&d, 0, 1), rgb(10, 0, 0));
  deldib(&d);
}

TEST(DepthUp, TwentyFourAndThirtyTwoBitRecordsAreReturnedUntouched) {
  for (int bits : {24, 32}) {
    TDibImage d = newdib(2, 2, bits, nullptr, 0);
    setpixel(&d, 1, 1, 0x01020304);
    TDibImage before;
    std::memcpy(&before, &d, sizeof d);
    DepthUpTo(d, 24);
    EXPECT_EQ(std::memcmp(&before, &d, sizeof d), 0) << bits;
    EXPECT_EQ(getpixel(&d, 1, 1), bits == 24 ? 0x00020304u : 0x01020304u);
    deldib(&d);  // the one record: nothing else may be left (the sanitizer build checks)
  }
}

TEST(DepthUp, RecordWithoutPixelsOrOtherTargetIsLeftAlone) {
  TDibImage empty;
  std::memset(&empty, 0, sizeof empty);
  DepthUpTo(empty, 24);
  EXPECT_EQ(empty.Storage, nullptr);

  TDibImage d = newdib(1, 1, 8, nullptr, 0);
  void* storage = d.Storage;
  DepthUpTo(d, 32);  // only 24 is a target
  EXPECT_EQ(d.Storage, storage);
  EXPECT_EQ(DibBitCount(d), 8);
  deldib(&d);
}

TEST(DepthUp, ReplacesTheRecordKeepingSizeAndRowOrder) {
  TDibImage d = newdib(5, 3, 8, nullptr, 0);
  set_log_entry(d, 1, 9, 9, 9);
  DibRow(d, 2)[4] = 1;  // bottom-right pixel
  void* old_storage = d.Storage;
  DepthUpTo(d, 24);
  EXPECT_NE(d.Storage, old_storage);
  EXPECT_EQ(DibWidth(d), 5);
  EXPECT_EQ(DibHeight(d), 3);
  EXPECT_EQ(d.HasPalette, 0);
  EXPECT_EQ(getpixel(&d, 4, 2), rgb(9, 9, 9));
  EXPECT_EQ(d.Bits[3 * 4], 9);  // memory row 0 is the bottom row
  deldib(&d);
}
