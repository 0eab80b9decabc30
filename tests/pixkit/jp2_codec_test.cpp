// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG 2000: our lossless files come back bit-exact at every depth and
// read the same in ImageMagick; ImageMagick's JP2 and J2K files (grey, RGB,
// RGBA, 16 bits) decode to the pixels it reports; damaged files give no
// picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::pixels_of;
using testsupport::read_pnm;
using testsupport::Rgba;
using testsupport::run;
using testsupport::TempDir;

using Record = testsupport::OwnedDib;

struct DepthCase {
  int bits;
  int width;
  int height;
};

class Jp2RoundTrip : public ::testing::TestWithParam<DepthCase> {};

// Palette and 16-bit pictures come back at 24 bits with the same colours.
TEST_P(Jp2RoundTrip, IsLossless) {
  const DepthCase c = GetParam();
  TempDir dir;
  const std::string path = dir.file("round.jp2");
  Record original{testsupport::make_pattern(c.width, c.height, c.bits)};
  ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_JP2, nullptr), 1);
  Record loaded{OpenDib(path.c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), c.bits == 32 ? 32 : 24);
  EXPECT_EQ(pixels_of(loaded.dib), pixels_of(original.dib));
}

INSTANTIATE_TEST_SUITE_P(Jp2Depths, Jp2RoundTrip,
                         ::testing::Values(DepthCase{1, 13, 5}, DepthCase{4, 7, 3}, DepthCase{8, 9, 9},
                                           DepthCase{16, 5, 4}, DepthCase{24, 71, 45}, DepthCase{32, 3, 2},
                                           DepthCase{24, 1, 1}));

TEST(Jp2File, StartsWithTheJp2SignatureBox) {
  Record original{testsupport::make_pattern(4, 4, 24)};
  TempDir dir;
  const std::string path = dir.file("sig.jp2");
  ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_JP2, nullptr), 1);
  const std::vector<uint8_t> bytes = testsupport::read_file(path);
  const std::vector<uint8_t> signature = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 13, 10, 0x87, 10};
  ASSERT_GE(bytes.size(), signature.size());
  EXPECT_TRUE(std::equal(signature.begin(), signature.end(), bytes.begin()));
}

TEST(Jp2Peer, OurFilesReadTheSameInImageMagick) {
  TempDir dir;
  for (int bits : {8, 24, 32}) {
    Record original{testsupport::make_pattern(19, 7, bits)};
    const std::string jp2 = dir.file("ours.jp2"), ref = dir.file(bits == 32 ? "ours.pam" : "ours.ppm");
    ASSERT_EQ(SaveDib(&original.dib, jp2.c_str(), PIXKIT_FORMAT_JP2, nullptr), 1);
    ASSERT_TRUE(run("convert " + jp2 + " -depth 8 " + (bits == 32 ? "pam:" : "ppm:") + ref));
    EXPECT_EQ(read_pnm(ref), pixels_of(original.dib)) << bits;
  }
}

struct PeerCase {
  const char* name;
  const char* options;  // ImageMagick options between input and output
  const char* output;   // ImageMagick output coder prefix
  bool alpha;
  // Samples of other precisions than 8 bits: both sides scale to 8 bits,
  // each with its own rounding.
  int tolerance = 0;
};

class Jp2PeerFile : public ::testing::TestWithParam<PeerCase> {};

TEST_P(Jp2PeerFile, DecodesToThePeersPixels) {
  const PeerCase c = GetParam();
  TempDir dir;
  Rgba ref{23, 17, c.alpha ? 4 : 3, {}};
  for (int i = 0; i < 23 * 17; ++i) {
    ref.pixels.insert(ref.pixels.end(), {uint8_t(i * 3), uint8_t(i % 23 * 11), uint8_t(255 - i % 17 * 15)});
    if (c.alpha) ref.pixels.push_back(uint8_t(i % 5 * 60));
  }
  const std::string in = dir.file(c.alpha ? "in.pam" : "in.ppm"), file = dir.file("peer.img");
  testsupport::write_pnm(in, ref);
  ASSERT_TRUE(run("convert " + in + " " + c.options + " " + c.output + ":" + file));
  const std::string back = dir.file(c.alpha ? "back.pam" : "back.ppm");
  ASSERT_TRUE(run("convert " + file + " -depth 8 " + (c.alpha ? "pam:" : "ppm:") + back));
  Record loaded{OpenDib(file.c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), c.alpha ? 32 : 24);
  EXPECT_LE(testsupport::max_channel_difference(pixels_of(loaded.dib), read_pnm(back)), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Jp2Layouts, Jp2PeerFile,
    ::testing::Values(PeerCase{"jp2_rgb", "-quality 0", "jp2", false},
                      PeerCase{"j2k_codestream", "-quality 0", "j2k", false},
                      PeerCase{"grey", "-colorspace gray -quality 0", "jp2", false},
                      PeerCase{"sixteen_bits", "-depth 16 -quality 0", "jp2", false},
                      PeerCase{"rgba", "-quality 0", "jp2", true},
                      PeerCase{"grey_alpha", "-colorspace gray -quality 0", "jp2", true},
                      PeerCase{"grey_alpha_12_bits", "-colorspace gray -depth 12 -quality 0", "jp2", true, 1},
                      PeerCase{"lossy_tiles", "-define jp2:tile-geometry=8x8 -quality 40", "jp2", false}),
    [](const ::testing::TestParamInfo<PeerCase>& info) { return std::string(info.param.name); });

// ImageMagick puts a subsampled picture on a reference grid twice its size
// with every component subsampled 2 x 2; the picture is the 16 x 8 the
// components hold, not the grid.
TEST(Jp2Subsampling, EquallySubsampledComponentsGiveComponentSize) {
  TempDir dir;
  const std::string in = dir.file("in.ppm"), file = dir.file("sub.jp2");
  testsupport::write_pnm(in, Rgba{16, 8, 3, std::vector<uint8_t>(16 * 8 * 3, 128)});
  ASSERT_TRUE(run("convert " + in + " -sampling-factor 2x2 -quality 0 jp2:" + file));
  Record loaded{OpenDib(file.c_str(), 0, nullptr)};
  ASSERT_EQ(loaded.bits(), 24);
  EXPECT_EQ(loaded.dib.Info->bmiHeader.biWidth, 16);
  EXPECT_EQ(loaded.dib.Info->bmiHeader.biHeight, 8);
  // ImageMagick codes only the top-left quarter of such components; what
  // it did code must come through.
  EXPECT_EQ(getpixel(&loaded.dib, 0, 0), 0x808080u);
  EXPECT_EQ(getpixel(&loaded.dib, 3, 1), 0x808080u);
}

// Two components, grey and alpha, written by ImageMagick from a grey ramp
// (50 per column, 20 per row) with alpha falling by 40 per column.
TEST(Jp2GreyAlpha, TwoComponentsGiveGreyWithAlpha) {
  Record loaded{
      OpenDib((std::string(STEMPORA_TEST_DATA) + "/jp2/good/grey_alpha_5x3.jp2").c_str(), 0, nullptr)};
  ASSERT_EQ(loaded.bits(), 32);
  Rgba expected{5, 3, 4, {}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const uint8_t grey = uint8_t(x * 50 + y * 20);
      expected.pixels.insert(expected.pixels.end(), {grey, grey, grey, uint8_t(255 - x * 40)});
    }
  EXPECT_EQ(pixels_of(loaded.dib), expected);
}

// Written with OpenJPEG, alpha as the first component, and given a channel
// definition box by hand that names it as the opacity.
TEST(Jp2GreyAlpha, ChannelDefinitionDecidesWhichComponentIsAlpha) {
  Record loaded{
      OpenDib((std::string(STEMPORA_TEST_DATA) + "/jp2/good/alpha_first_by_channel_definition.jp2").c_str(),
              0, nullptr)};
  ASSERT_EQ(loaded.bits(), 32);
  EXPECT_EQ(pixels_of(loaded.dib), (Rgba{3, 1, 4, {10, 10, 10, 255, 20, 20, 20, 128, 30, 30, 30, 0}}));
}

// Grey and an opaque alpha on a 258 x 2 grid, the grey subsampled 129 x 1
// (2 x 2 samples: 10, 200 / 90, 250), written with OpenJPEG; its own
// decoder shows those four grey samples.
TEST(Jp2Subsampling, FirstComponentSubsampledFarGivesItsOwnSize) {
  Record loaded{
      OpenDib((std::string(STEMPORA_TEST_DATA) + "/jp2/good/grey_alpha_first_subsampled_129.jp2").c_str(), 0,
              nullptr)};
  ASSERT_EQ(loaded.bits(), 32);
  EXPECT_EQ(pixels_of(loaded.dib),
            (Rgba{2, 2, 4, {10, 10, 10, 255, 200, 200, 200, 255, 90, 90, 90, 255, 250, 250, 250, 255}}));
}

// sYCC with both chroma components subsampled 2 x 2, written with OpenJPEG
// by a small generator: Y 76, Cb 85, Cr 255 (red) in the top-left 2 x 2
// block, Y, Cb and Cr 128 (mid grey) elsewhere.
TEST(Jp2Subsampling, ChromaHalvedBothWaysIsStretchedAndConverted) {
  Record loaded{
      OpenDib((std::string(STEMPORA_TEST_DATA) + "/jp2/good/ycc_4_2_0_4x4.jp2").c_str(), 0, nullptr)};
  ASSERT_EQ(loaded.bits(), 24);
  Rgba expected{4, 4, 3, {}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool red = x < 2 && y < 2;
      expected.pixels.insert(expected.pixels.end(),
                             {uint8_t(red ? 254 : 128), uint8_t(red ? 0 : 128), uint8_t(red ? 0 : 128)});
    }
  EXPECT_EQ(pixels_of(loaded.dib), expected);
}

}  // namespace
