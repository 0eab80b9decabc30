// SPDX-License-Identifier: GPL-3.0-or-later
// The picture pass's options on hand-worked cases.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "image/dib_access.h"
#include "run/stamp_picture.h"

namespace {

TDibImage filled(int w, int h, uint32_t colour) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) setpixel(&d, x, y, colour);
  return d;
}

constexpr uint32_t kGrey200 = 0xC8C8C8;

uint32_t grey(uint32_t v) { return v | (v << 8) | (v << 16); }

// A 3 x 1 logo of grey 51 at alpha 0, 128 and 255.
TDibImage alpha_steps() {
  TDibImage d = newdib(3, 1, 32, nullptr, 0);
  setpixel(&d, 0, 0, 0x00333333);
  setpixel(&d, 1, 0, 0x80333333);
  setpixel(&d, 2, 0, 0xFF333333);
  return d;
}

PictureStampSettings at_top_left(int transparency) {
  PictureStampSettings s;
  s.position = 0;
  s.margin = 0;
  s.transparency = transparency;
  return s;
}

// Rows of letters: '.' for untouched grey 200, else the letter for the grey
// level 'A' + level / 10 (levels used here are multiples of 10).
std::vector<std::string> letters_of(const TDibImage& d) {
  std::vector<std::string> rows;
  for (int y = 0; y < DibHeight(d); ++y) {
    std::string row;
    for (int x = 0; x < DibWidth(d); ++x) {
      const uint32_t v = getpixel(&d, x, y);
      row += v == kGrey200 ? '.' : char('A' + (v & 0xFF) / 10);
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

// Weight alpha x (100 - t) out of 25500, truncated like the plain blend:
// alpha 128 at t = 50: (200 x 19100 + 51 x 6400) div 25500 = 162.
TEST(StampPictureAlpha, KeptAlphaWeighsEachPixel) {
  TDibImage image = filled(4, 1, kGrey200);
  TDibImage logo = alpha_steps();
  PictureStampSettings s = at_top_left(50);
  s.options.keep_alpha = true;
  StampPicture(image, logo, s);
  EXPECT_EQ(getpixel(&image, 0, 0), kGrey200);   // alpha 0 leaves the pixel
  EXPECT_EQ(getpixel(&image, 1, 0), grey(162));  // alpha 128
  EXPECT_EQ(getpixel(&image, 2, 0), grey(125));  // alpha 255: (200 x 50 + 51 x 50) div 100
  EXPECT_EQ(getpixel(&image, 3, 0), kGrey200);
  deldib(&logo);
  deldib(&image);
}

// Over white first: alpha 0 gives 255, alpha 128 (51 x 128 + 255 x 127 +
// 127) div 255 = 153; then the plain blend at t = 50.
TEST(StampPictureAlpha, ThirtyTwoBitPictureWithoutTheOptionIsComposedOverWhite) {
  TDibImage image = filled(3, 1, kGrey200);
  TDibImage logo = alpha_steps();
  StampPicture(image, logo, at_top_left(50));
  EXPECT_EQ(getpixel(&image, 0, 0), grey(227));
  EXPECT_EQ(getpixel(&image, 1, 0), grey(176));
  EXPECT_EQ(getpixel(&image, 2, 0), grey(125));
  deldib(&logo);
  deldib(&image);
}

// An opaque 32-bit picture with its alpha kept, scaled by "Eingepasst",
// stamps the plain pass's pixels of the same picture at 24 bits.
TEST(StampPictureAlpha, OpaqueKeptAlphaIsThePlainBlend) {
  TDibImage plain = filled(40, 30, kGrey200);
  TDibImage kept = filled(40, 30, kGrey200);
  TDibImage mark = newdib(7, 5, 24, nullptr, 0);
  TDibImage mark32 = newdib(7, 5, 32, nullptr, 0);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const uint32_t colour = uint32_t(x * 37) | uint32_t(y * 51) << 8 | 0x7F0000u;
      setpixel(&mark, x, y, colour);
      setpixel(&mark32, x, y, colour | 0xFF000000u);
    }
  }
  PictureStampSettings s = at_top_left(37);
  s.position = kPlacementFitted;
  s.margin = 3;
  StampPicture(plain, mark, s);
  s.options.keep_alpha = true;
  StampPicture(kept, mark32, s);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(getpixel(&kept, x, y), getpixel(&plain, x, y)) << x << "," << y;
  deldib(&mark32);
  deldib(&mark);
  deldib(&kept);
  deldib(&plain);
}

// 320 x 200 at a quarter of the width: 200 x 125 on 800 x 600, "Unten
// Rechts" with margin 20 at (580, 455).
TEST(StampPictureRelativeSize, WidthFollowsTheImageWidth) {
  PictureStampSettings s;
  s.position = 8;
  s.margin = 20;
  s.options.relative = RelativeTo::kImageWidth;
  s.options.relative_percent = 25;
  const BlockPlacement small = PlacePicture(s, 800, 600, 320, 200);
  EXPECT_EQ(small.left, 580);
  EXPECT_EQ(small.top, 455);
  EXPECT_EQ(small.width, 200);
  EXPECT_EQ(small.height, 125);
  EXPECT_DOUBLE_EQ(small.scale, 0.625);
  const BlockPlacement large = PlacePicture(s, 4000, 3000, 320, 200);
  EXPECT_EQ(large.width, 1000);
  EXPECT_EQ(large.height, 625);
  EXPECT_EQ(large.left, 2980);
  EXPECT_EQ(large.top, 2355);
}

// 10 % of the shorter side 3000: 300 wide, 187.5 rounded to 188 high;
// "Eingepasst" places it like "Zentriert".
TEST(StampPictureRelativeSize, ShorterSideOnALargeImageAndScaledPlacementCentres) {
  PictureStampSettings s;
  s.position = kPlacementFitted;
  s.margin = 0;
  s.transparency = 0;
  s.options.relative = RelativeTo::kShorterSide;
  s.options.relative_percent = 10;
  const BlockPlacement place = PlacePicture(s, 4000, 3000, 320, 200);
  EXPECT_EQ(place.width, 300);
  EXPECT_EQ(place.height, 188);
  EXPECT_EQ(place.left, 1850);
  EXPECT_EQ(place.top, 1406);

  TDibImage image = filled(4000, 3000, kGrey200);
  TDibImage mark = filled(320, 200, grey(10));
  StampPicture(image, mark, s);
  EXPECT_EQ(getpixel(&image, 1850, 1406), grey(10));
  EXPECT_EQ(getpixel(&image, 2149, 1593), grey(10));
  EXPECT_EQ(getpixel(&image, 1849, 1406), kGrey200);
  EXPECT_EQ(getpixel(&image, 2150, 1406), kGrey200);
  EXPECT_EQ(getpixel(&image, 1850, 1405), kGrey200);
  EXPECT_EQ(getpixel(&image, 1850, 1594), kGrey200);
  deldib(&mark);
  deldib(&image);
}

// 5 % of the shorter side: 30 pixels on 800 x 600, 150 on 4000 x 3000.
TEST(StampPictureRelativeSize, MarginInPercentOfTheShorterSide) {
  PictureStampSettings s;
  s.position = 0;
  s.margin = 20;
  s.options.margin_in_percent = true;
  s.options.margin_percent = 5;
  EXPECT_EQ(PlacePicture(s, 800, 600, 320, 200).left, 30);
  EXPECT_EQ(PlacePicture(s, 4000, 3000, 320, 200).top, 150);
}

// A black and a white column enlarged ten times to 20 x 10 by 20 % of a
// 100-pixel width: bilinear from pixel centre to pixel centre, u = (x +
// 0.5) / 10 - 0.5 of the way to white, the ends held at the edge pixels.
// Column 9 takes 0.45 x 255 (115), column 10 0.55 x 255 (140).
TEST(StampPictureRelativeSize, UnturnedEnlargementIsSmooth) {
  TDibImage image = filled(100, 10, kGrey200);
  TDibImage mark = newdib(2, 1, 24, nullptr, 0);
  setpixel(&mark, 0, 0, 0);
  setpixel(&mark, 1, 0, 0xFFFFFF);
  PictureStampSettings s = at_top_left(0);
  s.options.relative = RelativeTo::kImageWidth;
  s.options.relative_percent = 20;
  StampPicture(image, mark, s);
  const uint32_t expected[20] = {0,   0,   0,   0,   0,   13,  38,  64,  89,  115,
                                 140, 166, 191, 217, 242, 255, 255, 255, 255, 255};
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(getpixel(&image, x, y), grey(expected[x])) << x << "," << y;
  EXPECT_EQ(getpixel(&image, 20, 0), kGrey200);
  deldib(&mark);
  deldib(&image);
}

// The checkerboard of StrongReductionAveragesThePicture, unturned: 0
// degrees averages like 90 degrees, no lone black or white pixel.
TEST(StampPictureRelativeSize, UnturnedStrongReductionAveragesThePicture) {
  TDibImage image = filled(10, 10, kGrey200);
  TDibImage mark = newdib(30, 30, 24, nullptr, 0);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) setpixel(&mark, x, y, (x + y) % 2 ? 0u : 0xFFFFFFu);
  PictureStampSettings s = at_top_left(0);
  s.options.relative = RelativeTo::kImageWidth;
  s.options.relative_percent = 100;
  StampPicture(image, mark, s);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_TRUE(getpixel(&image, x, y) == grey(142) || getpixel(&image, x, y) == grey(113))
          << x << "," << y;
  deldib(&mark);
  deldib(&image);
}

// 20 % of a 100-pixel width makes a 10 x 5 picture exactly 20 x 10: at
// margin 10 it covers columns 10..29 and rows 10..19 and not a pixel more.
TEST(StampPictureRelativeSize, EnlargedPictureCoversExactlyItsSize) {
  TDibImage image = filled(100, 50, kGrey200);
  TDibImage mark = filled(10, 5, grey(10));
  PictureStampSettings s = at_top_left(0);
  s.margin = 10;
  s.options.relative = RelativeTo::kImageWidth;
  s.options.relative_percent = 20;
  StampPicture(image, mark, s);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x)
      ASSERT_EQ(getpixel(&image, x, y), x >= 10 && x < 30 && y >= 10 && y < 20 ? grey(10) : kGrey200)
          << x << "," << y;
  deldib(&mark);
  deldib(&image);
}

// Grey 10, 20, 30 from left to right, turned a quarter counter-clockwise
// around the centre (2.5, 2.5): the right end goes up. Whole-pixel turns
// take exact pixels and stamp nothing beside the mark.
TEST(StampPictureTurn, QuarterTurnStandsThePictureUp) {
  TDibImage image = filled(5, 5, kGrey200);
  TDibImage mark = newdib(3, 1, 24, nullptr, 0);
  for (int x = 0; x < 3; ++x) setpixel(&mark, x, 0, grey(10 * uint32_t(x + 1)));
  PictureStampSettings s = at_top_left(0);
  s.position = 4;
  s.options.angle = 90;
  StampPicture(image, mark, s);
  const std::vector<std::string> expected = {".....", "..D..", "..C..", "..B..", "....."};
  EXPECT_EQ(letters_of(image), expected);
  deldib(&mark);
  deldib(&image);
}

// A 1 x 1 mark with gaps of 1: steps of 2, every other row shifted by 1.
TEST(StampPictureTiles, UnturnedTilesRepeatThePlainMark) {
  TDibImage image = filled(6, 4, kGrey200);
  TDibImage mark = filled(1, 1, grey(0));
  PictureStampSettings s = at_top_left(0);
  s.options.tile.enabled = true;
  s.options.tile.gap_x = 1;
  s.options.tile.gap_y = 1;
  StampPicture(image, mark, s);
  const std::vector<std::string> expected = {"A.A.A.", "......", ".A.A.A", "......"};
  EXPECT_EQ(letters_of(image), expected);
  deldib(&mark);
  deldib(&image);
}

// Gaps in percent of the image's width and height: 50 % of 8 and 25 % of 8.
TEST(StampPictureTiles, GapsInPercentOfTheImage) {
  TDibImage image = filled(8, 8, kGrey200);
  TDibImage mark = filled(2, 2, grey(0));
  PictureStampSettings s = at_top_left(0);
  s.options.tile.enabled = true;
  s.options.tile.gap_in_percent = true;
  s.options.tile.gap_x = 50;
  s.options.tile.gap_y = 25;
  StampPicture(image, mark, s);
  const std::vector<std::string> expected = {"AA....AA", "AA....AA", "........", "........",
                                             "...AA...", "...AA...", "........", "........"};
  EXPECT_EQ(letters_of(image), expected);
  deldib(&mark);
  deldib(&image);
}

TEST(StampPictureTurn, TurnedMarkIsBlendedWithTheTransparency) {
  TDibImage image = filled(9, 9, kGrey200);
  TDibImage mark = filled(3, 3, grey(0));
  PictureStampSettings s = at_top_left(50);
  s.position = 4;
  s.options.angle = 30;
  StampPicture(image, mark, s);
  EXPECT_EQ(getpixel(&image, 4, 4), grey(100));  // the centre is fully covered
  EXPECT_EQ(getpixel(&image, 0, 0), kGrey200);
  deldib(&mark);
  deldib(&image);
}

TEST(StampPictureTurn, HostileValuesReturn) {
  TDibImage image = filled(50, 40, kGrey200);
  TDibImage mark = filled(7, 5, grey(0));
  PictureStampSettings s = at_top_left(0);
  s.options.angle = 1e300;
  s.options.relative = RelativeTo::kShorterSide;
  s.options.relative_percent = std::nan("");
  s.options.tile.enabled = true;
  s.options.tile.gap_x = -1e308;
  s.options.tile.gap_y = std::numeric_limits<double>::infinity();
  StampPicture(image, mark, s);
  s.options.relative_percent = 1e9;  // taken as 1000 %: eight times the image, turned
  s.options.angle = 45;
  StampPicture(image, mark, s);
  deldib(&mark);
  deldib(&image);
}

// A 30 x 30 checkerboard of black and white pixels, turned a quarter and
// reduced to 10 x 10: each pixel is the mean of a 3 x 3 cell, five whites of
// nine (255 x 5 / 9, 142) or four (113), never a lone sampled black or white.
TEST(StampPictureTurn, StrongReductionAveragesThePicture) {
  TDibImage image = filled(10, 10, kGrey200);
  TDibImage mark = newdib(30, 30, 24, nullptr, 0);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) setpixel(&mark, x, y, (x + y) % 2 ? 0u : 0xFFFFFFu);
  PictureStampSettings s = at_top_left(0);
  s.options.relative = RelativeTo::kImageWidth;
  s.options.relative_percent = 100;
  s.options.angle = 90;
  StampPicture(image, mark, s);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_TRUE(getpixel(&image, x, y) == grey(142) || getpixel(&image, x, y) == grey(113))
          << x << "," << y;
  deldib(&mark);
  deldib(&image);
}

// 1000 % of a 1200-pixel width makes the 320 x 200 picture 12000 x 7500;
// turned 30 degrees it spans far more pixels than a sprite may hold. It is
// sampled into the image piece by piece and covers all of it.
TEST(StampPictureTurn, MarkLargerThanAnySpriteStillStamps) {
  TDibImage image = filled(1200, 800, kGrey200);
  TDibImage mark = filled(320, 200, grey(10));
  PictureStampSettings s = at_top_left(0);
  s.position = 4;
  s.options.relative = RelativeTo::kImageWidth;
  s.options.relative_percent = 1000;
  s.options.angle = 30;
  StampPicture(image, mark, s);
  for (int y = 0; y < 800; ++y)
    for (int x = 0; x < 1200; ++x) ASSERT_EQ(getpixel(&image, x, y), grey(10)) << x << "," << y;
  deldib(&mark);
  deldib(&image);
}

// Gaps of 50 % of the mark's size: a 4 x 2 mark steps 6 across and 3 down,
// the second row shifted by 3.
TEST(StampPictureTiles, GapsInPercentOfTheMark) {
  TDibImage image = filled(12, 6, kGrey200);
  TDibImage mark = filled(4, 2, grey(0));
  PictureStampSettings s = at_top_left(0);
  s.options.tile.enabled = true;
  s.options.tile.gap_in_mark_percent = true;
  s.options.tile.gap_x = 50;
  s.options.tile.gap_y = 50;
  StampPicture(image, mark, s);
  const std::vector<std::string> expected = {"AAAA..AAAA..", "AAAA..AAAA..", "............",
                                             "A..AAAA..AAA", "A..AAAA..AAA", "............"};
  EXPECT_EQ(letters_of(image), expected);
  deldib(&mark);
  deldib(&image);
}
