// SPDX-License-Identifier: GPL-3.0-or-later
// The output size of every size mode on landscape, portrait and odd
// pictures, and that nothing grows unless enlarging is asked for.
#include "run/export_size.h"

#include <gtest/gtest.h>

namespace {

ExportSize mode(ExportSizeMode m) {
  ExportSize size;
  size.mode = m;
  size.edge = 1600;
  size.box_width = 1920;
  size.box_height = 1080;
  size.percent = 25;
  size.megapixels = 3;
  return size;
}

struct Row {
  ExportSizeMode mode;
  PixelSize landscape;  // of 4000 x 3000
  PixelSize portrait;   // of 3000 x 4000
  PixelSize odd;        // of 1999 x 1333
};

}  // namespace

TEST(ExportSizeTable, EveryModeOnLandscapePortraitAndOddPictures) {
  const Row rows[] = {
      {ExportSizeMode::kNone, {4000, 3000}, {3000, 4000}, {1999, 1333}},
      {ExportSizeMode::kLongEdge, {1600, 1200}, {1200, 1600}, {1600, 1067}},
      {ExportSizeMode::kShortEdge, {2133, 1600}, {1600, 2133}, {1999, 1333}},  // odd: would grow
      {ExportSizeMode::kWidth, {1600, 1200}, {1600, 2133}, {1600, 1067}},
      {ExportSizeMode::kHeight, {2133, 1600}, {1200, 1600}, {1999, 1333}},
      {ExportSizeMode::kBox, {1440, 1080}, {810, 1080}, {1620, 1080}},
      {ExportSizeMode::kPercent, {1000, 750}, {750, 1000}, {500, 333}},
      {ExportSizeMode::kMegapixels, {2000, 1500}, {1500, 2000}, {1999, 1333}},  // odd: 2.66 MP already
  };
  for (const Row& row : rows) {
    const ExportSize size = mode(row.mode);
    SCOPED_TRACE(int(row.mode));
    EXPECT_EQ(ExportPixelSize(size, 4000, 3000), row.landscape);
    EXPECT_EQ(ExportPixelSize(size, 3000, 4000), row.portrait);
    EXPECT_EQ(ExportPixelSize(size, 1999, 1333), row.odd);
  }
}

TEST(ExportSizeTable, OnlySmallerUnlessEnlargeIsOn) {
  ExportSize size = mode(ExportSizeMode::kLongEdge);
  EXPECT_EQ(ExportPixelSize(size, 800, 600), (PixelSize{800, 600}));
  size.enlarge = true;
  EXPECT_EQ(ExportPixelSize(size, 800, 600), (PixelSize{1600, 1200}));
  size = mode(ExportSizeMode::kPercent);
  size.percent = 150;
  EXPECT_EQ(ExportPixelSize(size, 801, 601), (PixelSize{801, 601}));
  size.enlarge = true;
  EXPECT_EQ(ExportPixelSize(size, 801, 601), (PixelSize{1202, 902}));
}

TEST(ExportSizeTable, NonsenseValuesKeepTheSizeAndTinySidesStayAPixel) {
  ExportSize size = mode(ExportSizeMode::kLongEdge);
  size.edge = 0;
  EXPECT_EQ(ExportPixelSize(size, 4000, 3000), (PixelSize{4000, 3000}));
  size = mode(ExportSizeMode::kPercent);
  size.percent = -5;
  EXPECT_EQ(ExportPixelSize(size, 4000, 3000), (PixelSize{4000, 3000}));
  size = mode(ExportSizeMode::kLongEdge);
  size.edge = 100;
  EXPECT_EQ(ExportPixelSize(size, 10000, 3), (PixelSize{100, 1}));
}
