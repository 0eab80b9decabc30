// SPDX-License-Identifier: GPL-3.0-or-later
// GIF: palette pictures and pictures of few colours survive a round trip
// exactly; photographs come back reduced to at most 256 colours; the first
// frame lands on its logical screen; netpbm and ImageMagick agree with us
// both ways; damaged files give no picture.
#include <gtest/gtest.h>

#include <set>
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

Record save_and_load(const TDibImage& dib, const std::string& path) {
  EXPECT_EQ(SaveDib(&dib, path.c_str(), PIXKIT_FORMAT_GIF, nullptr), 1);
  return Record{OpenDib(path.c_str(), 0, nullptr)};
}

struct DepthCase {
  int bits;
  int width;
  int expected_bits;
};

class GifRoundTrip : public ::testing::TestWithParam<DepthCase> {};

TEST_P(GifRoundTrip, PalettePicturesKeepTheirPixels) {
  const DepthCase c = GetParam();
  TempDir dir;
  Record original{testsupport::make_pattern(c.width, 5, c.bits)};
  Record loaded = save_and_load(original.dib, dir.file("round.gif"));
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), c.expected_bits);
  EXPECT_EQ(pixels_of(loaded.dib), pixels_of(original.dib));
}

INSTANTIATE_TEST_SUITE_P(GifOddWidths, GifRoundTrip,
                         ::testing::Values(DepthCase{1, 13, 1}, DepthCase{4, 7, 4}, DepthCase{8, 9, 8},
                                           DepthCase{8, 1, 8}));

// A 24-bit picture of 3 colours: three palette entries are enough, so the
// file carries 4 and we hand over 4 bits.
TEST(GifTrueColour, FewColoursAreKeptExactly) {
  Record original{newdib(5, 2, 24, nullptr, 0)};
  const uint32_t colours[3] = {0x0000FF, 0x123456, 0xFEDCBA};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) setpixel(&original.dib, x, y, colours[(x + y) % 3]);
  TempDir dir;
  Record loaded = save_and_load(original.dib, dir.file("few.gif"));
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), 4);
  EXPECT_EQ(pixels_of(loaded.dib), pixels_of(original.dib));
}

TEST(GifTrueColour, ManyColoursAreReducedTo256) {
  Record original{testsupport::make_pattern(64, 48, 24)};
  TempDir dir;
  Record loaded = save_and_load(original.dib, dir.file("many.gif"));
  ASSERT_EQ(loaded.bits(), 8);
  const Rgba got = pixels_of(loaded.dib), want = pixels_of(original.dib);
  std::set<uint32_t> distinct;
  for (size_t i = 0; i < got.pixels.size(); i += 3)
    distinct.insert(got.pixels[i] | (got.pixels[i + 1] << 8) | (got.pixels[i + 2] << 16));
  EXPECT_LE(distinct.size(), 256u);
  EXPECT_GT(distinct.size(), 64u);
  // Median cut on a smooth gradient stays close.
  EXPECT_LE(testsupport::max_channel_difference(got, want), 48);
}

TEST(GifTrueColour, ThirtyTwoBitsLoseOnlyTheirAlpha) {
  Record original{newdib(2, 1, 32, nullptr, 0)};
  setpixel(&original.dib, 0, 0, 0x80102030);
  setpixel(&original.dib, 1, 0, 0x00405060);
  TempDir dir;
  Record loaded = save_and_load(original.dib, dir.file("alpha.gif"));
  EXPECT_EQ(pixels_of(loaded.dib), (Rgba{2, 1, 3, {0x30, 0x20, 0x10, 0x60, 0x50, 0x40}}));
}

// Hand-made file: logical screen 4 x 3, background index 2 (blue), one
// 2 x 1 frame at (1, 1) holding indices 1 and 0.
TEST(GifCanvas, FrameIsPlacedOnTheLogicalScreen) {
  const std::vector<uint8_t> file = {
      'G', 'I', 'F',  '8',  '7', 'a', 4, 0, 3,   0,   0x81, 2,   0,  // screen, 4-entry global map
      0,   0,   0,    255,  0,   0,   0, 0, 255, 255, 255,  255,     // black, red, blue, white
      ',', 1,   0,    1,    0,   2,   0, 1, 0,   0,                  // frame 2 x 1 at (1, 1)
      2,   2,   0x0C, 0x0A, 0,                                       // LZW: clear, 1, 0, end
      ';'};
  TempDir dir;
  testsupport::write_file(dir.file("canvas.gif"), file);
  Record loaded{OpenDib(dir.file("canvas.gif").c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  const uint8_t B[3] = {0, 0, 255}, R[3] = {255, 0, 0}, K[3] = {0, 0, 0};
  std::vector<uint8_t> want;
  for (const uint8_t* p : {B, B, B, B, B, R, K, B, B, B, B, B}) want.insert(want.end(), p, p + 3);
  EXPECT_EQ(pixels_of(loaded.dib), (Rgba{4, 3, 3, want}));
}

// giflib refuses an LZW minimum code size above 8; ImageMagick and netpbm
// read these two files, and so do we. Code size 11 (every code 12 bits
// wide), made by a small generator: indices 0 1 2 / 3 2 1. Code size 9:
// 5 x 3, the indices 0 to 3 in turn, row after row.
TEST(GifWideCodes, MinimumCodeSizesAboveEightDecodeToThePeersPixels) {
  const std::string folder = std::string(STEMPORA_TEST_DATA) + "/gif/good/";
  const uint8_t K[3] = {0, 0, 0}, R[3] = {255, 0, 0}, G[3] = {0, 255, 0}, B[3] = {0, 0, 255};
  auto picture = [](int width, int height, std::initializer_list<const uint8_t*> colours) {
    Rgba p{width, height, 3, {}};
    for (const uint8_t* c : colours) p.pixels.insert(p.pixels.end(), c, c + 3);
    return p;
  };
  Record eleven{OpenDib((folder + "lzw_minimum_code_size_11.gif").c_str(), 0, nullptr)};
  ASSERT_NE(eleven.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(eleven.dib), picture(3, 2, {K, R, G, B, G, R}));
  Record nine{OpenDib((folder + "lzw_minimum_code_size_9.gif").c_str(), 0, nullptr)};
  ASSERT_NE(nine.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(nine.dib), picture(5, 3, {K, R, G, B, K, R, G, B, K, R, G, B, K, R, G}));
}

TEST(GifPeer, OurFilesReadTheSameInNetpbm) {
  TempDir dir;
  for (int bits : {1, 4, 8}) {
    Record original{testsupport::make_pattern(11, 6, bits)};
    const std::string gif = dir.file("ours.gif"), ppm = dir.file("ours.ppm");
    ASSERT_EQ(SaveDib(&original.dib, gif.c_str(), PIXKIT_FORMAT_GIF, nullptr), 1);
    ASSERT_TRUE(run("{ giftopnm " + gif + " | ppmtoppm > " + ppm + "; }"));
    EXPECT_EQ(read_pnm(ppm), pixels_of(original.dib)) << bits;
  }
}

TEST(GifPeer, NetpbmFilesDecodeToTheirPixels) {
  TempDir dir;
  const std::string ppm = dir.file("ref.ppm"), gif = dir.file("peer.gif");
  // 200 colours: ppmtogif keeps them all.
  Rgba ref{20, 10, 3, {}};
  for (int i = 0; i < 200; ++i)
    ref.pixels.insert(ref.pixels.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
  testsupport::write_pnm(ppm, ref);
  ASSERT_TRUE(run("{ ppmtogif " + ppm + " > " + gif + "; }"));
  Record loaded{OpenDib(gif.c_str(), 0, nullptr)};
  EXPECT_EQ(loaded.bits(), 8);
  EXPECT_EQ(pixels_of(loaded.dib), ref);
}

TEST(GifPeer, ImageMagickInterlacedAndAnimatedFilesGiveTheirFirstImage) {
  TempDir dir;
  Rgba first{9, 11, 3, {}};
  for (int i = 0; i < 99; ++i)
    first.pixels.insert(first.pixels.end(), {uint8_t(i * 2), uint8_t(i % 7 * 30), 9});
  const std::string a = dir.file("a.ppm"), b = dir.file("b.ppm");
  testsupport::write_pnm(a, first);
  testsupport::write_pnm(b, Rgba{9, 11, 3, std::vector<uint8_t>(9 * 11 * 3, 200)});
  const std::string interlaced = dir.file("interlaced.gif"), animated = dir.file("animated.gif");
  ASSERT_TRUE(run("convert " + a + " -interlace gif gif:" + interlaced));
  ASSERT_TRUE(run("convert -delay 10 " + a + " " + b + " gif:" + animated));
  for (const std::string& path : {interlaced, animated}) {
    Record loaded{OpenDib(path.c_str(), 0, nullptr)};
    EXPECT_EQ(pixels_of(loaded.dib), first) << path;
  }
}

}  // namespace
