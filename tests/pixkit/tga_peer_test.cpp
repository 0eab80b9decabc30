// SPDX-License-Identifier: GPL-3.0-or-later
// TGA cross-checks with netpbm only (ImageMagick 6 mishandles the origin
// bit): files pamtotga writes decode here as tgatoppm decodes them, and
// files written here decode in tgatoppm to the pixels we wrote.
#include <gtest/gtest.h>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::pixels_of;
using testsupport::Rgba;
using testsupport::test_picture;

using Owned = testsupport::OwnedDib;

Rgba rgb_only(const Rgba& in) {
  if (in.channels == 3) return in;
  Rgba out{in.width, in.height, 3, {}};
  for (size_t i = 0; i < in.pixels.size(); i += 4)
    out.pixels.insert(out.pixels.end(), &in.pixels[i], &in.pixels[i + 3]);
  return out;
}

std::vector<uint8_t> alpha_only(const Rgba& in) {
  std::vector<uint8_t> out;
  for (size_t i = 3; i < in.pixels.size(); i += 4) out.push_back(in.pixels[i]);
  return out;
}

class TgaPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::have_program("pamtotga") || !testsupport::have_program("tgatoppm"))
      GTEST_SKIP() << "netpbm not installed";
  }
  // Converts `picture` with pamtotga and `options`, then checks that OpenDib
  // gives the bit count and the pixels tgatoppm gives.
  // 5-bit channels may be widened differently (tolerance 7).
  void expect_like_tgatoppm(const Rgba& picture, const std::string& options, int expected_bits,
                            int tolerance = 0) {
    const std::string pnm = dir.file("in.pam"), tga = dir.file("peer.tga"), ppm = dir.file("peer.ppm");
    testsupport::write_pnm(pnm, picture);
    ASSERT_TRUE(testsupport::run("(pamtotga " + options + " " + pnm + " > " + tga + ")")) << options;
    ASSERT_TRUE(testsupport::run("(tgatoppm " + tga + " | pamdepth 255 > " + ppm + ")")) << options;
    Owned loaded(OpenDib(tga.c_str(), 0, nullptr));
    ASSERT_NE(loaded.dib.Bits, nullptr) << options;
    EXPECT_EQ(loaded.bits(), expected_bits) << options;
    EXPECT_LE(
        testsupport::max_channel_difference(rgb_only(pixels_of(loaded.dib)), testsupport::read_pnm(ppm)),
        tolerance)
        << options;
  }
  testsupport::TempDir dir;
};

TEST_F(TgaPeer, PamtotgaFilesDecodeAsTgatoppmDecodesThem) {
  const Rgba smooth = test_picture(13, 5, 0);
  expect_like_tgatoppm(smooth, "", 8);       // 65 colours: netpbm picks an RLE colour map
  expect_like_tgatoppm(smooth, "-rgb", 24);  // RLE true colour
  expect_like_tgatoppm(smooth, "-rgb -norle", 24);
  expect_like_tgatoppm(test_picture(13, 5, 40), "-cmap", 8);  // RLE colour map
  expect_like_tgatoppm(test_picture(13, 5, 40), "-cmap -norle", 8);
  expect_like_tgatoppm(test_picture(13, 5, 4), "-cmap -norle", 4);
  expect_like_tgatoppm(test_picture(13, 5, 2), "-cmap", 1);
  expect_like_tgatoppm(test_picture(13, 5, 9), "-cmap16", 4, 7);  // 16-bit map entries
}

TEST_F(TgaPeer, PamtotgaGreyFilesComeBackAsTwentyFourBits) {
  Rgba grey = test_picture(9, 4, 0);
  for (size_t i = 0; i < grey.pixels.size(); i += 3) grey.pixels[i + 1] = grey.pixels[i + 2] = grey.pixels[i];
  expect_like_tgatoppm(grey, "-mono", 24);
  expect_like_tgatoppm(grey, "-mono -norle", 24);
}

TEST_F(TgaPeer, PamtotgaAlphaSurvives) {
  const Rgba rgba = test_picture(7, 3, 0, 4);
  const std::string pam = dir.file("a.pam"), tga = dir.file("a.tga");
  testsupport::write_pnm(pam, rgba);
  ASSERT_TRUE(testsupport::run("(pamtotga " + pam + " > " + tga + ")"));
  Owned loaded(OpenDib(tga.c_str(), 0, nullptr));
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), 32);
  EXPECT_EQ(pixels_of(loaded.dib), rgba);
}

TEST_F(TgaPeer, OurFilesDecodeInTgatoppmToTheSamePixels) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    Owned original(testsupport::make_pattern(11, 5, bits));
    const std::string tga = dir.file("ours.tga"), ppm = dir.file("out.ppm"), pgm = dir.file("alpha.pgm");
    ASSERT_EQ(SaveDib(&original.dib, tga.c_str(), PIXKIT_FORMAT_TGA, nullptr), 1);
    ASSERT_TRUE(testsupport::run("(tgatoppm -alphaout=" + pgm + " " + tga + " | pamdepth 255 > " + ppm + ")"))
        << bits;
    const Rgba want = pixels_of(original.dib);
    const Rgba got = testsupport::read_pnm(ppm);
    // tgatoppm may widen 5-bit channels differently.
    EXPECT_LE(testsupport::max_channel_difference(rgb_only(want), got), bits == 16 ? 7 : 0) << bits;
    if (bits == 32) {
      const Rgba alpha = testsupport::read_pnm(pgm);
      std::vector<uint8_t> got_alpha;
      for (size_t i = 0; i < alpha.pixels.size(); i += 3) got_alpha.push_back(alpha.pixels[i]);
      EXPECT_EQ(got_alpha, alpha_only(want));
    }
  }
}

}  // namespace
