// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF: our files survive a round trip unchanged and read the same in
// netpbm and ImageMagick; their files (strips, tiles, separate planes,
// 16 bits, alpha, palettes, bilevel) decode to the pixels they report;
// damaged files give no picture.
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

// Releases the record at the end of the scope.
using Record = testsupport::OwnedDib;

Rgba pattern_pixels(int width, int height, int bits) {
  Record r{testsupport::make_pattern(width, height, bits)};
  return pixels_of(r.dib);
}

struct DepthCase {
  int bits;
  int width;
  int expected_bits;
};

class TiffRoundTrip : public ::testing::TestWithParam<DepthCase> {};

TEST_P(TiffRoundTrip, KeepsPixelsAtTheirBitCount) {
  const DepthCase c = GetParam();
  TempDir dir;
  const std::string path = dir.file("round.tif");
  Record original{testsupport::make_pattern(c.width, 5, c.bits)};
  ASSERT_NE(original.dib.Bits, nullptr);
  ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_TIF, nullptr), 1);
  Record loaded{OpenDib(path.c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), c.expected_bits);
  EXPECT_EQ(pixels_of(loaded.dib), pixels_of(original.dib));
}

INSTANTIATE_TEST_SUITE_P(TiffOddWidths, TiffRoundTrip,
                         ::testing::Values(DepthCase{1, 13, 1}, DepthCase{4, 7, 4}, DepthCase{8, 9, 8},
                                           DepthCase{16, 5, 24}, DepthCase{24, 11, 24}, DepthCase{32, 3, 32},
                                           DepthCase{24, 1, 24}));

TEST(TiffRoundTripPalette, OneBitKeepsItsTwoColours) {
  PixkitBitmapInfo palette{};
  palette.bmiColors[0] = PixkitRgbQuad{10, 20, 200, 0};  // blue, green, red
  palette.bmiColors[1] = PixkitRgbQuad{250, 160, 0, 0};
  Record original{newdib(3, 2, 1, &palette, 2)};
  setpixel(&original.dib, 1, 0, 1);
  setpixel(&original.dib, 2, 1, 1);
  TempDir dir;
  const std::string path = dir.file("pal.tif");
  ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_TIF, nullptr), 1);
  Record loaded{OpenDib(path.c_str(), 0, nullptr)};
  ASSERT_EQ(loaded.bits(), 1);
  const Rgba expected{
      3, 2, 3, {200, 20, 10, 0, 160, 250, 200, 20, 10, 200, 20, 10, 200, 20, 10, 0, 160, 250}};
  EXPECT_EQ(pixels_of(loaded.dib), expected);
}

// Our files read back by the peers.
TEST(TiffPeer, OurFilesReadTheSameInNetpbmAndImageMagick) {
  TempDir dir;
  for (int bits : {1, 4, 8, 24}) {
    Record original{testsupport::make_pattern(17, 6, bits)};
    const std::string tif = dir.file("ours" + std::to_string(bits) + ".tif");
    ASSERT_EQ(SaveDib(&original.dib, tif.c_str(), PIXKIT_FORMAT_TIF, nullptr), 1);
    const std::string ppm = dir.file("ours" + std::to_string(bits) + ".ppm");
    ASSERT_TRUE(run("{ tifftopnm " + tif + " | ppmtoppm > " + ppm + "; }")) << bits;
    EXPECT_EQ(read_pnm(ppm), pixels_of(original.dib)) << bits;
  }
  Record rgba{testsupport::make_pattern(9, 4, 32)};
  const std::string tif = dir.file("rgba.tif"), pam = dir.file("rgba.pam");
  ASSERT_EQ(SaveDib(&rgba.dib, tif.c_str(), PIXKIT_FORMAT_TIF, nullptr), 1);
  ASSERT_TRUE(run("convert " + tif + " -depth 8 pam:" + pam));
  EXPECT_EQ(read_pnm(pam), pixels_of(rgba.dib));
}

// The peer writes a TIFF from a reference pixmap; we must see the same
// pixels at the expected bit count.
struct PeerCase {
  const char* name;
  const char* command;  // %in and %out replaced; %in is a 24-bit P6 or RGBA PAM
  bool alpha;
  int expected_bits;
  // ImageMagick narrows 16-bit colour map entries by truncation, we round.
  int tolerance = 0;
};

class TiffPeerFile : public ::testing::TestWithParam<PeerCase> {};

// Braces keep the command's own redirections away from run()'s logging.
std::string substitute(std::string s, const std::string& in, const std::string& out) {
  for (size_t p; (p = s.find("%in")) != std::string::npos;) s.replace(p, 3, in);
  for (size_t p; (p = s.find("%out")) != std::string::npos;) s.replace(p, 4, out);
  return "{ " + s + "; }";
}

TEST_P(TiffPeerFile, DecodesToThePeersPixels) {
  const PeerCase c = GetParam();
  TempDir dir;
  const std::string in = dir.file(c.alpha ? "ref.pam" : "ref.ppm");
  testsupport::write_pnm(in, pattern_pixels(37, 21, c.alpha ? 32 : 24));
  const std::string tif = dir.file("peer.tif");
  ASSERT_TRUE(run(substitute(c.command, in, tif)));
  // What the peer itself reads from its file is the reference.
  const std::string ref = dir.file(c.alpha ? "peer.pam" : "peer.ppm");
  ASSERT_TRUE(run("convert " + tif + " -depth 8 " + (c.alpha ? "pam:" : "ppm:") + ref));
  Record loaded{OpenDib(tif.c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), c.expected_bits);
  EXPECT_LE(testsupport::max_channel_difference(pixels_of(loaded.dib), read_pnm(ref)), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    TiffLayouts, TiffPeerFile,
    ::testing::Values(
        PeerCase{"netpbm_lzw_rgb", "pnmtotiff -lzw %in > %out", false, 24},
        PeerCase{"netpbm_grey", "ppmtopgm %in | pnmtotiff > %out", false, 24},
        PeerCase{"netpbm_bilevel_min_is_white",
                 "ppmtopgm %in | pgmtopbm -threshold | pnmtotiff -miniswhite > %out", false, 1},
        PeerCase{"netpbm_bilevel_min_is_black",
                 "ppmtopgm %in | pgmtopbm -threshold | pnmtotiff -minisblack > %out", false, 1},
        PeerCase{"magick_tiled", "convert %in -define tiff:tile-geometry=16x16 tiff:%out", false, 24},
        PeerCase{"magick_separate_planes", "convert %in -interlace plane -compress lzw tiff:%out", false, 24},
        PeerCase{"magick_16_bits", "convert %in -depth 16 -compress zip tiff:%out", false, 24},
        PeerCase{"magick_palette", "convert %in -colors 16 -type palette tiff:%out", false, 4, 1},
        PeerCase{"magick_grey_4_bits", "convert %in -colorspace gray -depth 4 tiff:%out", false, 24},
        PeerCase{"magick_rgba", "convert %in -compress lzw tiff:%out", true, 32},
        PeerCase{"magick_rgba_tiled_separate",
                 "convert %in -interlace plane -define tiff:tile-geometry=16x16 tiff:%out", true, 32}),
    [](const ::testing::TestParamInfo<PeerCase>& info) { return std::string(info.param.name); });

TEST(TiffPeerLossy, JpegCompressedYCbCrDecodesThroughTheRgbaPath) {
  TempDir dir;
  const std::string in = dir.file("ref.ppm"), tif = dir.file("jpeg.tif"), ref = dir.file("peer.ppm");
  testsupport::write_pnm(in, pattern_pixels(40, 24, 24));
  ASSERT_TRUE(run("convert " + in + " -compress jpeg -quality 90 tiff:" + tif));
  ASSERT_TRUE(run("convert " + tif + " -depth 8 ppm:" + ref));
  Record loaded{OpenDib(tif.c_str(), 0, nullptr)};
  ASSERT_EQ(loaded.bits(), 24);
  // Both sides upsample chroma their own way.
  EXPECT_LE(testsupport::max_channel_difference(pixels_of(loaded.dib), read_pnm(ref)), 12);
}

TEST(TiffFirstPage, MultiPageFileGivesItsFirstPage) {
  TempDir dir;
  const std::string a = dir.file("a.ppm"), b = dir.file("b.ppm"), tif = dir.file("pages.tif");
  testsupport::write_pnm(a, Rgba{2, 1, 3, {255, 0, 0, 0, 0, 255}});
  testsupport::write_pnm(b, Rgba{3, 3, 3, std::vector<uint8_t>(27, 90)});
  ASSERT_TRUE(run("convert " + a + " " + b + " tiff:" + tif));
  Record loaded{OpenDib(tif.c_str(), 0, nullptr)};
  EXPECT_EQ(pixels_of(loaded.dib), (Rgba{2, 1, 3, {255, 0, 0, 0, 0, 255}}));
}

// 300 dots per inch are 11811 per metre; our own file keeps them.
TEST(TiffResolution, IsReadAndWrittenAgain) {
  TempDir dir;
  const std::string in = dir.file("in.ppm"), tif = dir.file("dpi.tif"), again = dir.file("again.tif");
  testsupport::write_pnm(in, Rgba{2, 2, 3, std::vector<uint8_t>(12, 50)});
  ASSERT_TRUE(run("convert " + in + " -units PixelsPerInch -density 300 tiff:" + tif));
  Record loaded{OpenDib(tif.c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.dib.Info->bmiHeader.biXPelsPerMeter, 11811);
  EXPECT_EQ(loaded.dib.Info->bmiHeader.biYPelsPerMeter, 11811);
  ASSERT_EQ(SaveDib(&loaded.dib, again.c_str(), PIXKIT_FORMAT_TIF, nullptr), 1);
  Record reloaded{OpenDib(again.c_str(), 0, nullptr)};
  EXPECT_EQ(reloaded.dib.Info->bmiHeader.biXPelsPerMeter, 11811);
}

}  // namespace
