// SPDX-License-Identifier: GPL-3.0-or-later
// ImageMagick and netpbm as independent oracles: their BMP files decode to
// the pixels they decode themselves, and ours decode in them to our pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::Rgba;

// The real ImageMagick 6, not a wrapper that may sit earlier on PATH.
// testsupport::run redirects the command's output, so commands that write
// to stdout run in a subshell with their own redirection.
const char* const kConvert = "/usr/bin/convert";

using Owned = testsupport::OwnedDib;

bool have_imagemagick() { return testsupport::have_program(kConvert); }
bool have_netpbm() { return testsupport::have_program("ppmtobmp") && testsupport::have_program("bmptopnm"); }

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// 5-5-5 pictures keep 5 bits a channel; peers and getpixel widen them
// differently, so compare the bits that were stored.
Rgba top_five_bits(Rgba p) {
  for (auto& v : p.pixels) v = uint8_t(v >> 3);
  return p;
}

// Pixels of a pattern record (palette pictures with few colours, true
// colour with a gradient), as the source the peers convert.
Rgba pattern_pixels(int bits) {
  Owned d(testsupport::make_pattern(7, 5, bits));
  return testsupport::pixels_of(d.dib);
}

struct MagickCase {
  const char* name;
  int source_bits;      // make_pattern's bit count for the source picture
  const char* options;  // convert options before the output
  const char* prefix;   // output coder
  int expect_bits;      // bit count we hand over
  int tolerance;        // largest channel difference allowed
};

}  // namespace

TEST(BmpPeers, ImageMagickFilesDecodeToTheSamePixels) {
  if (!have_imagemagick()) GTEST_SKIP() << "ImageMagick missing";
  const MagickCase cases[] = {
      {"truecolour", 24, "-type truecolor", "bmp3:", 24, 0},
      {"palette", 8, "-type palette -compress none", "bmp3:", 8, 0},
      {"sixteen colours", 4, "-type palette -compress none", "bmp3:", 4, 0},
      {"bilevel", 1, "-type palette -compress none", "bmp3:", 1, 0},
      {"rle8", 8, "-type palette -compress RLE", "bmp3:", 8, 0},
      {"v5 truecolour", 24, "-type truecolor", "bmp:", 24, 0},
      {"os/2", 24, "-type truecolor", "bmp2:", 24, 0},
      {"565", 24, "-define bmp:subtype=RGB565", "bmp:", 24, 1},
      {"alpha", 32, "", "bmp:", 32, 0},
  };
  testsupport::TempDir dir;
  for (const MagickCase& c : cases) {
    const Rgba source = pattern_pixels(c.source_bits);
    const std::string in = dir.file(source.channels == 4 ? "in.pam" : "in.ppm");
    const std::string bmp = dir.file("peer.bmp");
    const std::string oracle = dir.file(source.channels == 4 ? "oracle.pam" : "oracle.ppm");
    testsupport::write_pnm(in, source);
    ASSERT_TRUE(testsupport::run(std::string(kConvert) + " " + quoted(in) + " " + c.options + " " +
                                 quoted(c.prefix + bmp)))
        << c.name;
    ASSERT_TRUE(testsupport::run(std::string(kConvert) + " " + quoted(bmp) + " -depth 8 " +
                                 quoted((source.channels == 4 ? "pam:" : "ppm:") + oracle)))
        << c.name;
    Owned ours(OpenDib(bmp.c_str(), 0, nullptr));
    ASSERT_NE(ours.dib.Bits, nullptr) << c.name;
    EXPECT_EQ(ours.dib.Info->bmiHeader.biBitCount, c.expect_bits) << c.name;
    EXPECT_LE(
        testsupport::max_channel_difference(testsupport::pixels_of(ours.dib), testsupport::read_pnm(oracle)),
        c.tolerance)
        << c.name;
  }
}

TEST(BmpPeers, ImageMagick555FilesStaySixteenBits) {
  if (!have_imagemagick()) GTEST_SKIP() << "ImageMagick missing";
  testsupport::TempDir dir;
  testsupport::write_pnm(dir.file("in.ppm"), pattern_pixels(24));
  ASSERT_TRUE(testsupport::run(std::string(kConvert) + " " + quoted(dir.file("in.ppm")) +
                               " -define bmp:subtype=RGB555 " + quoted("bmp:" + dir.file("peer.bmp"))));
  ASSERT_TRUE(testsupport::run(std::string(kConvert) + " " + quoted(dir.file("peer.bmp")) + " -depth 8 " +
                               quoted("ppm:" + dir.file("oracle.ppm"))));
  Owned ours(OpenDib(dir.file("peer.bmp").c_str(), 0, nullptr));
  ASSERT_NE(ours.dib.Bits, nullptr);
  EXPECT_EQ(ours.dib.Info->bmiHeader.biBitCount, 16);
  EXPECT_EQ(top_five_bits(testsupport::pixels_of(ours.dib)),
            top_five_bits(testsupport::read_pnm(dir.file("oracle.ppm"))));
}

TEST(BmpPeers, NetpbmFilesDecodeToTheSamePixels) {
  if (!have_netpbm()) GTEST_SKIP() << "netpbm missing";
  struct Case {
    int source_bits;
    const char* options;
    int expect_bits;
  };
  const Case cases[] = {{1, "-bpp 1", 1},    {4, "-bpp 4", 4},      {8, "-bpp 8", 8},
                        {24, "-bpp 24", 24}, {4, "-os2 -bpp 4", 4}, {24, "-os2 -bpp 24", 24},
                        {1, "-bpp 8", 8}};  // 256-entry table: 8 bits, 2 colours used
  testsupport::TempDir dir;
  for (const Case& c : cases) {
    const Rgba source = pattern_pixels(c.source_bits);
    testsupport::write_pnm(dir.file("in.ppm"), source);
    ASSERT_TRUE(testsupport::run(std::string("(ppmtobmp ") + c.options + " " + quoted(dir.file("in.ppm")) +
                                 " > " + quoted(dir.file("peer.bmp")) + ")"))
        << c.options;
    Owned ours(OpenDib(dir.file("peer.bmp").c_str(), 0, nullptr));
    ASSERT_NE(ours.dib.Bits, nullptr) << c.options;
    EXPECT_EQ(ours.dib.Info->bmiHeader.biBitCount, c.expect_bits) << c.options;
    EXPECT_EQ(testsupport::pixels_of(ours.dib), source) << c.options;
  }
}

TEST(BmpPeers, OurFilesDecodeInImageMagick) {
  if (!have_imagemagick()) GTEST_SKIP() << "ImageMagick missing";
  testsupport::TempDir dir;
  struct Case {
    int bits;
    int format;
  };
  const Case cases[] = {{1, PIXKIT_FORMAT_BMP},  {4, PIXKIT_FORMAT_BMP},  {8, PIXKIT_FORMAT_BMP},
                        {16, PIXKIT_FORMAT_BMP}, {24, PIXKIT_FORMAT_BMP}, {32, PIXKIT_FORMAT_BMP},
                        {4, PIXKIT_FORMAT_RLE},  {8, PIXKIT_FORMAT_RLE}};
  for (const Case& c : cases) {
    Owned d(testsupport::make_pattern(7, 5, c.bits));
    // ImageMagick's own "rle" coder is another format; the bmp: prefix
    // makes it read our .rle files as the BMPs they are.
    const std::string file = dir.file(c.format == PIXKIT_FORMAT_RLE ? "ours.rle" : "ours.bmp");
    ASSERT_EQ(SaveDib(&d.dib, file.c_str(), c.format, nullptr), 1);
    const std::string oracle = dir.file(c.bits == 32 ? "oracle.pam" : "oracle.ppm");
    ASSERT_TRUE(testsupport::run(std::string(kConvert) + " " + quoted("bmp:" + file) + " -depth 8 " +
                                 quoted((c.bits == 32 ? "pam:" : "ppm:") + oracle)))
        << c.bits;
    const Rgba theirs = testsupport::read_pnm(oracle);
    const Rgba mine = testsupport::pixels_of(d.dib);
    if (c.bits == 16)
      EXPECT_EQ(top_five_bits(theirs), top_five_bits(mine));
    else
      EXPECT_EQ(theirs, mine) << c.bits << " " << c.format;
  }
}

TEST(BmpPeers, OurFilesDecodeInNetpbm) {
  if (!have_netpbm()) GTEST_SKIP() << "netpbm missing";
  testsupport::TempDir dir;
  for (int bits : {1, 4, 8, 24}) {
    Owned d(testsupport::make_pattern(7, 5, bits));
    const std::string file = dir.file("ours.bmp");
    ASSERT_EQ(SaveDib(&d.dib, file.c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
    ASSERT_TRUE(testsupport::run("(bmptopnm " + quoted(file) + " > " + quoted(dir.file("oracle.ppm")) + ")"))
        << bits;
    EXPECT_EQ(testsupport::read_pnm(dir.file("oracle.ppm")), testsupport::pixels_of(d.dib)) << bits;
  }
}
