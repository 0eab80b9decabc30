// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF files of the kinds other readers open and we once got wrong: every
// orientation turned upright, CIE L*a*b* to sRGB, 32-bit samples, and
// RowsPerStrip past the height. The files in tests/data/tiff were written by
// ImageMagick and had single tags patched by hand (orientation, rows per
// strip, bits per sample); the 16-bit L*a*b* ones were written by a small
// script from sRGB colours with the ICC's D50 sRGB matrix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/rgba_pixels.h"

namespace {

using testsupport::pixels_of;
using testsupport::Rgba;
using Record = testsupport::OwnedDib;

std::string tiff_file(const std::string& name) {
  return std::string(STEMPORA_TEST_DATA) + "/tiff/good/" + name;
}

// The stored 3 x 2 picture of the orientation files: A B C over D E F.
constexpr uint8_t A[3] = {255, 0, 0}, B[3] = {0, 255, 0}, C[3] = {0, 0, 255};
constexpr uint8_t D[3] = {255, 255, 255}, E[3] = {0, 0, 0}, F[3] = {128, 128, 128};

Rgba picture_of(int width, int height, std::initializer_list<const uint8_t*> pixels) {
  Rgba p{width, height, 3, {}};
  for (const uint8_t* px : pixels) p.pixels.insert(p.pixels.end(), px, px + 3);
  return p;
}

struct OrientationCase {
  int orientation;
  Rgba upright;
};

class TiffOrientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(TiffOrientation, ComesOutUprightAtTheUprightSize) {
  const OrientationCase c = GetParam();
  Record loaded{
      OpenDib(tiff_file("orientation_" + std::to_string(c.orientation) + "_3x2.tif").c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(loaded.dib), c.upright);
}

INSTANTIATE_TEST_SUITE_P(AllTurns, TiffOrientation,
                         ::testing::Values(OrientationCase{2, picture_of(3, 2, {C, B, A, F, E, D})},
                                           OrientationCase{3, picture_of(3, 2, {F, E, D, C, B, A})},
                                           OrientationCase{4, picture_of(3, 2, {D, E, F, A, B, C})},
                                           OrientationCase{5, picture_of(2, 3, {A, D, B, E, C, F})},
                                           OrientationCase{6, picture_of(2, 3, {D, A, E, B, F, C})},
                                           OrientationCase{7, picture_of(2, 3, {F, C, E, B, D, A})},
                                           OrientationCase{8, picture_of(2, 3, {C, F, B, E, A, D})}),
                         [](const ::testing::TestParamInfo<OrientationCase>& info) {
                           return "Orientation" + std::to_string(info.param.orientation);
                         });

TEST(TiffOrientation, BilevelPictureIsTurnedAndStaysOneBit) {
  // Stored black, white, white over white, black, black; orientation 8.
  Record loaded{OpenDib(tiff_file("orientation_8_bilevel_3x2.tif").c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), 1);
  EXPECT_EQ(pixels_of(loaded.dib), picture_of(2, 3, {D, E, D, E, E, D}));
}

// The twelve sRGB colours the L*a*b* files were made from.
const Rgba kLabSource{
    6, 2, 3, {255, 255, 255, 0,  0,  0,   255, 0,   0,  0,  255, 0,   0,   0,  255, 128, 128, 128,
              200, 150, 100, 30, 90, 160, 250, 240, 10, 12, 200, 190, 180, 40, 200, 90,  60,  30}};

TEST(TiffCieLab, SixteenBitsComeBackAsTheSrgbTheyWereMadeFrom) {
  // CIELab stores a* and b* signed, ICCLab offset by half the range.
  for (const char* name : {"cie_lab_16_bits_from_rgb.tif", "icc_lab_16_bits_from_rgb.tif"}) {
    Record loaded{OpenDib(tiff_file(name).c_str(), 0, nullptr)};
    ASSERT_NE(loaded.dib.Bits, nullptr) << name;
    EXPECT_LE(testsupport::max_channel_difference(pixels_of(loaded.dib), kLabSource), 1) << name;
  }
}

TEST(TiffCieLab, WhiteHasNoColourCast) {
  // ImageMagick's 8-bit L*a*b*: white is L* 100, a* and b* 0.
  Record loaded{OpenDib(tiff_file("cie_lab_8_bits_magick.tif").c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  const uint32_t white = getpixel(&loaded.dib, 0, 0);
  for (int shift : {0, 8, 16}) EXPECT_GE(int((white >> shift) & 255), 254) << shift;
}

TEST(TiffSamples, ThirtyTwoBitsPerSampleAreNarrowedToEight) {
  Record rgb{OpenDib(tiff_file("rgb_32_bits_per_sample.tif").c_str(), 0, nullptr)};
  ASSERT_NE(rgb.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(rgb.dib), kLabSource);
  Record grey{OpenDib(tiff_file("grey_32_bits_per_sample.tif").c_str(), 0, nullptr)};
  ASSERT_NE(grey.dib.Bits, nullptr);
  EXPECT_EQ(getpixel(&grey.dib, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(getpixel(&grey.dib, 5, 0), 0x808080u);
}

// 3 x 2 grey of signed 32-bit samples (SampleFormat 2), made by a small
// generator: -2^31, -2^30, -1 / 0, 2^30, 2^31 - 1. ImageMagick and netpbm
// show them by their bit pattern, as if unsigned: 127, 191, 255 / 0, 63,
// 127 (netpbm rounds the halves up).
TEST(TiffSamples, SignedThirtyTwoBitGreyLooksAsInThePeers) {
  Record grey{OpenDib(tiff_file("grey_32_bits_signed.tif").c_str(), 0, nullptr)};
  ASSERT_NE(grey.dib.Bits, nullptr);
  const Rgba peers{
      3, 2, 3, {127, 127, 127, 191, 191, 191, 255, 255, 255, 0, 0, 0, 63, 63, 63, 127, 127, 127}};
  EXPECT_LE(testsupport::max_channel_difference(pixels_of(grey.dib), peers), 1);
}

// One strip whose RowsPerStrip is past 2^31 is one strip; the same tag over
// several listed strips is refused (files in tiff/bad).
TEST(TiffRowsPerStrip, PastTheHeightMeansOneStrip) {
  for (const char* name : {"rows_per_strip_past_2_31_one_strip.tif", "rows_per_strip_past_2_31_cmyk.tif"}) {
    Record loaded{OpenDib(tiff_file(name).c_str(), 0, nullptr)};
    ASSERT_NE(loaded.dib.Bits, nullptr) << name;
    EXPECT_EQ(pixels_of(loaded.dib), picture_of(3, 2, {A, B, C, D, E, F})) << name;
  }
}

}  // namespace
