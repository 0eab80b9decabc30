// SPDX-License-Identifier: GPL-3.0-or-later
// One source through the library-level steps of a run: promotion (or the
// alpha set aside), the picture pass, the text pass, and back.
#include <gtest/gtest.h>

#include "image/depth_up.h"
#include "image/dib_access.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"

namespace stamptest {
void ensure_gui_application();
}

namespace {

// A 32-bit logo: opaque black, transparent, half-transparent red, opaque white.
TDibImage logo() {
  TDibImage d = newdib(2, 2, 32, nullptr, 0);
  setpixel(&d, 0, 0, 0xFF000000);
  setpixel(&d, 1, 0, 0x00123456);
  setpixel(&d, 0, 1, 0x800000C8);
  setpixel(&d, 1, 1, 0xFFFFFFFF);
  return d;
}

class StampPicturePipeline : public testing::Test {
 protected:
  static void SetUpTestSuite() { stamptest::ensure_gui_application(); }
};

}  // namespace

TEST_F(StampPicturePipeline, PaletteSourceIsPromotedAndStampedWithAFlattenedLogoAndText) {
  TDibImage image = newdib(60, 40, 8, nullptr, 0);  // every index 0
  image.LogPalette.palPalEntry[0] = PixkitPaletteEntry{100, 50, 20, 0};
  DepthUpTo(image, 24);
  ASSERT_EQ(DibBitCount(image), 24);
  ASSERT_EQ(getpixel(&image, 0, 0), 0x143264u);

  TDibImage mark = logo();
  FlattenOverWhite(mark);
  ASSERT_EQ(DibBitCount(mark), 24);
  PictureStampSettings picture;
  picture.position = 0;
  picture.margin = 1;
  picture.transparency = 50;
  StampPicture(image, mark, picture);
  // (100, 50, 20) half and half with black, white and (227, 127, 127).
  EXPECT_EQ(getpixel(&image, 1, 1), 0x0A1932u);  // 50, 25, 10
  EXPECT_EQ(getpixel(&image, 2, 1), 0x8998B1u);  // 177, 152, 137
  EXPECT_EQ(getpixel(&image, 1, 2), 0x4958A3u);  // 163, 88, 73
  EXPECT_EQ(getpixel(&image, 2, 2), 0x8998B1u);
  EXPECT_EQ(getpixel(&image, 3, 1), 0x143264u);
  EXPECT_EQ(getpixel(&image, 0, 0), 0x143264u);

  TextStampSettings text;
  text.text = "Text";
  text.font.name = "DejaVu Sans";
  text.font.style = kFontBold;
  text.font.height = -20;
  text.font.color = 0x00FF00;
  text.position = 8;
  text.margin = 2;
  text.transparency = 0;
  StampText(image, text);
  const TextBlockLayout layout = LayOutTextBlock(text, 60, 40);
  int green = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (getpixel(&image, x, y) != 0x00FF00u) continue;
      ++green;
      EXPECT_GE(x, layout.place.left - 2);
      EXPECT_GE(y, layout.place.top - 2);
    }
  }
  EXPECT_GT(green, 20);
  EXPECT_EQ(getpixel(&image, 1, 1), 0x0A1932u);  // the picture lies apart from the text
  deldib(&mark);
  deldib(&image);
}

TEST_F(StampPicturePipeline, ThirtyTwoBitSourceKeepsItsAlphaThroughTheStamp) {
  TDibImage image = newdib(4, 3, 32, nullptr, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) setpixel(&image, x, y, (uint32_t(x * 60 + y) << 24) | 0x646464u);
  void* storage = image.Storage;
  DepthUpTo(image, 24);
  ASSERT_EQ(image.Storage, storage);  // the promotion leaves 32 bits alone

  const AlphaPlane alpha = SetAlphaAside(image);
  ASSERT_EQ(DibBitCount(image), 24);
  TDibImage mark = newdib(4, 3, 24, nullptr, 0);  // black
  PictureStampSettings picture;
  picture.position = 4;
  picture.margin = 0;
  picture.transparency = 50;
  StampPicture(image, mark, picture);
  RestoreAlpha(image, alpha);
  ASSERT_EQ(DibBitCount(image), 32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(getpixel(&image, x, y), (uint32_t(x * 60 + y) << 24) | 0x323232u);
  deldib(&mark);
  deldib(&image);
}
