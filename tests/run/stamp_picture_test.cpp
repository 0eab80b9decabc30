// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/stamp_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "image/dib_access.h"

namespace {

// A 24-bit record filled with one colour value (red + 256 * green + 65536 * blue).
TDibImage filled(int w, int h, uint32_t colour) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) setpixel(&d, x, y, colour);
  return d;
}

// A watermark whose pixel (x, y) holds red x, green y, blue 7, so a stamped
// image pixel (with transparency 0) tells which watermark pixel it took.
TDibImage coordinates_picture(int w, int h) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) setpixel(&d, x, y, uint32_t(x & 255) | (uint32_t(y & 255) << 8) | (7u << 16));
  return d;
}

constexpr uint32_t kBackground = 0xC8C8C8;  // 200, 200, 200

uint32_t taken(int sx, int sy) { return uint32_t(sx & 255) | (uint32_t(sy & 255) << 8) | (7u << 16); }

PictureStampSettings settings_of(int position, int64_t margin, int transparency) {
  PictureStampSettings s;
  s.position = position;
  s.margin = margin;
  s.transparency = transparency;
  return s;
}

// The image as rows of letters: '.' untouched, 'a' 'b' 'c' 'd' for watermark
// pixels (0,0), (1,0), (0,1), (1,1) of a 2 x 2 watermark.
std::vector<std::string> letters_of(const TDibImage& d) {
  std::vector<std::string> rows;
  for (int y = 0; y < DibHeight(d); ++y) {
    std::string row;
    for (int x = 0; x < DibWidth(d); ++x) {
      const uint32_t v = getpixel(&d, x, y);
      row += v == kBackground   ? '.'
             : v == taken(0, 0) ? 'a'
             : v == taken(1, 0) ? 'b'
             : v == taken(0, 1) ? 'c'
             : v == taken(1, 1) ? 'd'
                                : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> stamp_2x2_on_6x5(int position) {
  TDibImage image = filled(6, 5, kBackground);
  TDibImage mark = coordinates_picture(2, 2);
  StampPicture(image, mark, settings_of(position, 1, 0));
  std::vector<std::string> rows = letters_of(image);
  deldib(&image);
  deldib(&mark);
  return rows;
}

using Rows = std::vector<std::string>;

}  // namespace

TEST(StampPicture, EachFixedPlacementOnASmallImage) {
  // Image 6 x 5, margin 1, watermark 2 x 2: columns 1 / 2 / 3, rows 1 / 1 / 2.
  EXPECT_EQ(stamp_2x2_on_6x5(0), (Rows{"......", ".ab...", ".cd...", "......", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(1), (Rows{"......", "..ab..", "..cd..", "......", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(2), (Rows{"......", "...ab.", "...cd.", "......", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(3), (Rows{"......", ".ab...", ".cd...", "......", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(4), (Rows{"......", "..ab..", "..cd..", "......", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(5), (Rows{"......", "...ab.", "...cd.", "......", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(6), (Rows{"......", "......", ".ab...", ".cd...", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(7), (Rows{"......", "......", "..ab..", "..cd..", "......"}));
  EXPECT_EQ(stamp_2x2_on_6x5(8), (Rows{"......", "......", "...ab.", "...cd.", "......"}));
}

TEST(StampPicture, ScaledPlacementsOnASmallImage) {
  // "Eingepasst": box 4 x 3, nw 3, nh 3, corner (1, 1), s = 1.5. Column 0
  // (dx = -1, -0.67 truncated to 0) takes watermark column 0; dx 2 gives 1.33.
  EXPECT_EQ(stamp_2x2_on_6x5(9), (Rows{"aaab..", "aaab..", "aaab..", "cccd..", "......"}));
  // "Maximal": nw 4, nh 4, corner (1, (3 - 4) div 2 + 1 = 1), s = 2; dx 3
  // gives 1.5, dx 4 gives 2 (outside).
  EXPECT_EQ(stamp_2x2_on_6x5(10), (Rows{"aaabb.", "aaabb.", "aaabb.", "cccdd.", "cccdd."}));
}

TEST(StampPicture, IndexOutsideTheListStampsNothing) {
  EXPECT_EQ(stamp_2x2_on_6x5(11), (Rows(5, "......")));
  EXPECT_EQ(stamp_2x2_on_6x5(-1), (Rows(5, "......")));
}

TEST(StampPicture, BlendFigures) {
  TDibImage mark = filled(1, 1, 0x336633);  // 51, 102, 51
  // t 50: (200 * 50 + 51 * 50) div 100 = 125 (0x7D), (200 * 50 + 102 * 50) div 100 = 151 (0x97).
  // t 75: (200 * 75 + 51 * 25) div 100 = 162 (0xA2), (200 * 75 + 102 * 25) div 100 = 175 (0xAF).
  for (auto [t, expected] : {std::pair{50, 0x7D977Du}, std::pair{100, 0xC8C8C8u}, std::pair{0, 0x336633u},
                             std::pair{75, 0xA2AFA2u}}) {
    TDibImage image = filled(1, 1, kBackground);
    StampPicture(image, mark, settings_of(0, 0, t));
    EXPECT_EQ(getpixel(&image, 0, 0), expected) << t;
    deldib(&image);
  }
  deldib(&mark);
}

TEST(StampPicture, FittedOn800x600StampsColumns18And19ButNot17) {
  TDibImage image = filled(800, 600, kBackground);
  TDibImage mark = coordinates_picture(320, 200);
  StampPicture(image, mark, settings_of(9, 20, 0));
  // Row 300: dy = 238, 238 / 2.375 = 100.2.
  EXPECT_EQ(getpixel(&image, 17, 300), kBackground);
  EXPECT_EQ(getpixel(&image, 18, 300), taken(0, 100));
  EXPECT_EQ(getpixel(&image, 19, 300), taken(0, 100));
  EXPECT_EQ(getpixel(&image, 20, 300), taken(0, 100));
  EXPECT_EQ(getpixel(&image, 23, 300), taken(1, 100));  // 3 / 2.375 = 1.26
  EXPECT_EQ(getpixel(&image, 779, 300), taken(319, 100));
  EXPECT_EQ(getpixel(&image, 780, 300), kBackground);  // 760 / 2.375 = 320
  // Rows 60 and 61 above top 62 take watermark row 0; row 59 does not.
  EXPECT_EQ(getpixel(&image, 400, 59), kBackground);
  EXPECT_EQ(getpixel(&image, 400, 60), taken(160, 0));
  EXPECT_EQ(getpixel(&image, 400, 61), taken(160, 0));
  EXPECT_EQ(getpixel(&image, 400, 536), taken(160, 199));  // 474 / 2.375 = 199.6
  EXPECT_EQ(getpixel(&image, 400, 537), kBackground);      // 475 / 2.375 = 200
  deldib(&image);
  deldib(&mark);
}

TEST(StampPicture, CoveringOn800x600IsCutAtTheImageEdges) {
  TDibImage image = filled(800, 600, kBackground);
  TDibImage mark = coordinates_picture(320, 200);
  StampPicture(image, mark, settings_of(10, 20, 0));
  // Left -48, s = 2.8: image column 0 is dx 48, 48 / 2.8 = 17.1.
  EXPECT_EQ(getpixel(&image, 0, 20), taken(17, 0));
  EXPECT_EQ(getpixel(&image, 799, 20), taken(302, 0));  // 847 / 2.8 = 302.5
  EXPECT_EQ(getpixel(&image, 0, 18), taken(17, 0));     // dy -2
  EXPECT_EQ(getpixel(&image, 0, 17), kBackground);      // dy -3
  EXPECT_EQ(getpixel(&image, 0, 579), taken(17, 199));  // 559 / 2.8 = 199.6
  EXPECT_EQ(getpixel(&image, 0, 580), kBackground);     // 560 / 2.8 = 200
  deldib(&image);
  deldib(&mark);
}

TEST(StampPicture, WiderWatermarkCentredLandsColumns2To101) {
  TDibImage image = filled(100, 1, kBackground);
  TDibImage mark = coordinates_picture(105, 1);
  StampPicture(image, mark, settings_of(4, 0, 0));
  EXPECT_EQ(getpixel(&image, 0, 0), taken(2, 0));
  EXPECT_EQ(getpixel(&image, 99, 0), taken(101, 0));
  deldib(&image);
  deldib(&mark);
}

TEST(StampPicture, NonBinaryScaleSamplesByFloatingPointDivision) {
  // 40 x 30, margin 2, watermark 14 x 10: nw 36, nh 25, corner (2, 2),
  // s = 36 / 14, not a binary fraction.
  TDibImage image = filled(40, 30, kBackground);
  TDibImage mark = coordinates_picture(14, 10);
  StampPicture(image, mark, settings_of(9, 2, 0));
  const double s = 36.0 / 14.0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const double qx = double(x - 2) / s, qy = double(y - 2) / s;
      const int sx = int(std::trunc(qx)), sy = int(std::trunc(qy));
      const bool covered = qx > -1 && qy > -1 && sx < 14 && sy < 10;
      ASSERT_EQ(getpixel(&image, x, y), covered ? taken(sx, sy) : kBackground) << x << "," << y;
    }
  }
  // Where the rounded quotient falls just short of a whole number an integer
  // shortcut disagrees: dx 18 gives 6.999..., so column 6, not 7, and dx 36
  // gives 13.999..., so column 38 is still stamped.
  EXPECT_EQ(getpixel(&image, 20, 2), taken(6, 0));
  EXPECT_EQ(getpixel(&image, 38, 2), taken(13, 0));
  deldib(&image);
  deldib(&mark);
}

TEST(StampPicture, BlendUsesAllThreeBytesAndBottomUpRows) {
  TDibImage image = filled(2, 2, 0x000000);
  TDibImage mark = newdib(1, 1, 24, nullptr, 0);
  mark.Bits[0] = 10;                                // blue
  mark.Bits[1] = 20;                                // green
  mark.Bits[2] = 30;                                // red
  StampPicture(image, mark, settings_of(0, 0, 0));  // top-left pixel = bottom memory row
  EXPECT_EQ(DibRow(image, 0)[0], 10);
  EXPECT_EQ(DibRow(image, 0)[1], 20);
  EXPECT_EQ(DibRow(image, 0)[2], 30);
  EXPECT_EQ(image.Bits + image.RowBytes, DibRow(image, 0));
  EXPECT_EQ(getpixel(&image, 0, 1), 0u);
  deldib(&image);
  deldib(&mark);
}

TEST(StampPicture, NonTwentyFourBitRecordsAreLeftAlone) {
  TDibImage eight = newdib(2, 2, 8, nullptr, 0);
  TDibImage mark = filled(1, 1, 0xFFFFFF);
  StampPicture(eight, mark, settings_of(0, 0, 0));
  EXPECT_EQ(getpixel(&eight, 0, 0), 0u);
  TDibImage image = filled(2, 2, kBackground);
  StampPicture(image, eight, settings_of(0, 0, 0));
  EXPECT_EQ(getpixel(&image, 0, 0), kBackground);
  TDibImage empty;
  std::memset(&empty, 0, sizeof empty);
  StampPicture(image, empty, settings_of(0, 0, 0));
  StampPicture(empty, mark, settings_of(0, 0, 0));
  EXPECT_EQ(getpixel(&image, 0, 0), kBackground);
  deldib(&eight);
  deldib(&mark);
  deldib(&image);
}
