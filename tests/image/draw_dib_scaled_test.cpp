// SPDX-License-Identifier: GPL-3.0-or-later
// Scaled drawing: which source pixel lands where, and that a repeated
// source row is sent again without being rebuilt.
#include "image/draw_dib_scaled.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "image/dib_access.h"
#include "support/owned_dib.h"

using testsupport::OwnedDib;

namespace {

// A 24-bit picture whose pixel (x, y) from the top holds blue x, green y.
TDibImage coordinate_picture(int width, int height) {
  TDibImage picture = newdib(width, height, 24, nullptr, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) setpixel(&picture, x, y, uint32_t(x) << 16 | uint32_t(y) << 8);
  return picture;
}

struct SentRow {
  int32_t x, y;
  std::vector<uint8_t> bytes;  // blue, green, red per pixel
};

struct RowRecorder {
  std::vector<SentRow> rows;
  DibRowSink sink() {
    return [this](int32_t x, int32_t y, const TDibImage& line) {
      const int32_t bytes = DibWidth(line) * (DibBitCount(line) / 8);
      rows.push_back({x, y, std::vector<uint8_t>(line.Bits, line.Bits + bytes)});
    };
  }
};

}  // namespace

TEST(ScaledDrawing, OneToOneShowsThePictureUpright) {
  OwnedDib picture(coordinate_picture(4, 3));
  RowRecorder recorder;
  ScaleRows24(recorder.sink(), 5, 7, 4, 3, picture.dib, 0, 0, 4, 3);
  ASSERT_EQ(recorder.rows.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(recorder.rows[k].x, 5);
    EXPECT_EQ(recorder.rows[k].y, 7 + k);
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(recorder.rows[k].bytes[3 * x], x) << k;      // blue: the column
      EXPECT_EQ(recorder.rows[k].bytes[3 * x + 1], k) << k;  // green: the row from the top
    }
  }
}

TEST(ScaledDrawing, EnlargingSendsEachRowTwiceButBuildsItOnce) {
  OwnedDib picture(coordinate_picture(3, 10));
  RowRecorder recorder;
  const int32_t built = ScaleRows24(recorder.sink(), 0, 0, 3, 20, picture.dib, 0, 0, 3, 10);
  EXPECT_EQ(built, 10);
  ASSERT_EQ(recorder.rows.size(), 20u);
  for (int k = 0; k < 20; ++k) EXPECT_EQ(recorder.rows[k].bytes[1], k / 2) << k;
}

TEST(ScaledDrawing, ReducingHundredColumnsToThirtySamplesEveryThirdAndAThird) {
  OwnedDib picture(coordinate_picture(100, 1));
  RowRecorder recorder;
  ScaleRows24(recorder.sink(), 0, 0, 30, 1, picture.dib, 0, 0, 100, 1);
  ASSERT_EQ(recorder.rows.size(), 1u);
  const int expected[] = {0, 3, 6, 10, 13, 16, 20};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(recorder.rows[0].bytes[3 * i], expected[i]) << i;
  EXPECT_EQ(recorder.rows[0].bytes[3 * 29], 96);
}

TEST(ScaledDrawing, SourceFromTheBottomRowDrawsTheLowerHalf) {
  OwnedDib picture(coordinate_picture(2, 100));
  RowRecorder recorder;
  const int32_t rows_above = 100 - 0 - 50;
  ScaleRows24(recorder.sink(), 0, 0, 2, 50, picture.dib, 0, rows_above, 2, 50);
  ASSERT_EQ(recorder.rows.size(), 50u);
  EXPECT_EQ(recorder.rows.front().bytes[1], 50);
  EXPECT_EQ(recorder.rows.back().bytes[1], 99);
}

TEST(ScaledDrawing, RowsOutsideThePictureAreBlack) {
  OwnedDib picture(coordinate_picture(2, 2));
  setpixel(&picture.dib, 0, 0, 0xFFFFFF);
  RowRecorder recorder;
  // Two rows above the picture's top: the first output row has no source.
  ScaleRows24(recorder.sink(), 0, 0, 2, 2, picture.dib, 0, -1, 2, 2);
  ASSERT_EQ(recorder.rows.size(), 2u);
  EXPECT_EQ(recorder.rows[0].bytes, std::vector<uint8_t>(6, 0));
  EXPECT_EQ(recorder.rows[1].bytes[0], 0xFF);
}

TEST(ScaledDrawing, EightBitRowsCarryThePicturesColourTable) {
  OwnedDib picture(newdib(2, 1, 8, nullptr, 0));
  picture.dib.Info->bmiColors[7] = PixkitRgbQuad{10, 20, 30, 0};
  setpixel(&picture.dib, 1, 0, 7);
  RowRecorder recorder;
  std::vector<PixkitRgbQuad> line_colours;
  ScaleRows8(
      [&](int32_t, int32_t, const TDibImage& line) {
        line_colours.push_back(line.Info->bmiColors[7]);
        recorder.sink()(0, 0, line);
      },
      0, 0, 2, 1, picture.dib, 0, 0, 2, 1);
  ASSERT_EQ(recorder.rows.size(), 1u);
  EXPECT_EQ(recorder.rows[0].bytes[1], 7);
  EXPECT_EQ(line_colours[0].rgbBlue, 10);
  EXPECT_EQ(line_colours[0].rgbRed, 30);
}

TEST(ScaledDrawing, PaintsTwentyFourAndFourBitPicturesThroughAPainter) {
  for (int bits : {24, 4}) {
    OwnedDib picture(newdib(2, 2, bits, nullptr, 0));
    // Top-left pixel red; 4 bits: index 12 of the default VGA palette.
    setpixel(&picture.dib, 0, 0, bits == 24 ? 0x0000FF : 12);
    const PixkitRgbQuad& red = picture.dib.Info->bmiColors[12];
    const QRgb expected = bits == 24 ? qRgb(255, 0, 0) : qRgb(red.rgbRed, red.rgbGreen, red.rgbBlue);
    QImage canvas(4, 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
      QPainter painter(&canvas);
      DrawDibScaled(painter, 0, 0, 4, 4, picture.dib, 0, 0, 2, 2);
    }
    EXPECT_EQ(canvas.pixel(0, 0), expected) << bits;
    EXPECT_EQ(canvas.pixel(1, 1), expected) << bits;
    EXPECT_EQ(canvas.pixel(2, 2), qRgb(0, 0, 0)) << bits;
  }
}
