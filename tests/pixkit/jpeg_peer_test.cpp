// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG codec against libjpeg-turbo's own cjpeg and djpeg: the same
// library with the same settings must give the same pixels and bytes.
#include <gtest/gtest.h>

#include <string>

#include "pixkit/pixkit.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;

// A 37 x 23 picture (not a whole number of 16 x 16 blocks) with smooth ramps
// and, unless left out, one hard edge, like a small photo.
Rgba photo_like(int width = 37, int height = 23, bool with_edge = true) {
  Rgba p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool edge = with_edge && x > width / 2 && y > height / 3;
      p.pixels.push_back(uint8_t(x * 255 / (width - 1)));
      p.pixels.push_back(uint8_t(edge ? 30 : y * 255 / (height - 1)));
      p.pixels.push_back(uint8_t(edge ? 220 : 128));
    }
  return p;
}

TDibImage record_of(const Rgba& p) {
  TDibImage dib = newdib(p.width, p.height, 24, nullptr, 0);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t* c = &p.pixels[size_t(y * p.width + x) * 3];
      setpixel(&dib, x, y, uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16);
    }
  return dib;
}

class JpegPeerDecode : public ::testing::TestWithParam<std::string> {};

TEST_P(JpegPeerDecode, CjpegFileDecodesToDjpegPixels) {
  TempDir dir;
  write_pnm(dir.file("in.ppm"), photo_like());
  ASSERT_TRUE(
      run("cjpeg -quality 85 " + GetParam() + " -outfile " + dir.file("a.jpg") + " " + dir.file("in.ppm")));
  ASSERT_TRUE(run("djpeg -pnm -outfile " + dir.file("a.pnm") + " " + dir.file("a.jpg")));
  TDibImage dib = OpenDib(dir.file("a.jpg").c_str(), 0, nullptr);
  ASSERT_NE(dib.Bits, nullptr);
  EXPECT_EQ(dib.Info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(pixels_of(dib), read_pnm(dir.file("a.pnm")));
  deldib(&dib);
}

INSTANTIATE_TEST_SUITE_P(CjpegOptions, JpegPeerDecode,
                         ::testing::Values("", "-progressive", "-grayscale", "-sample 1x1", "-sample 2x1",
                                           "-restart 1 -optimize", "-rgb"));

class JpegPeerEncode : public ::testing::TestWithParam<int> {};

TEST_P(JpegPeerEncode, OutputIsByteIdenticalToCjpeg) {
  TempDir dir;
  const Rgba source = photo_like(53, 41);
  write_pnm(dir.file("in.ppm"), source);
  const int quality = GetParam();
  ASSERT_TRUE(run("cjpeg -quality " + std::to_string(quality) + " -outfile " + dir.file("peer.jpg") + " " +
                  dir.file("in.ppm")));
  TDibImage dib = record_of(source);
  SetJPEGQual(quality);
  EXPECT_EQ(SaveDib(&dib, dir.file("ours.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  SetJPEGQual(75);
  deldib(&dib);
  EXPECT_EQ(read_file(dir.file("ours.jpg")), read_file(dir.file("peer.jpg")));
}

INSTANTIATE_TEST_SUITE_P(Qualities, JpegPeerEncode, ::testing::Values(30, 75, 90, 100));

TEST(JpegPeers, OurFileDecodesInDjpegCloseToTheSource) {
  TempDir dir;
  const Rgba source = photo_like(37, 23, false);
  TDibImage dib = record_of(source);
  SetJPEGQual(95);
  ASSERT_EQ(SaveDib(&dib, dir.file("ours.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  SetJPEGQual(75);
  deldib(&dib);
  ASSERT_TRUE(run("djpeg -pnm -outfile " + dir.file("back.ppm") + " " + dir.file("ours.jpg")));
  // Smooth ramps at quality 95 come back within a few levels.
  EXPECT_LE(max_channel_difference(read_pnm(dir.file("back.ppm")), source), 6);
}

TEST(JpegPeers, CmykFileFromImageMagickDecodesLikeImageMagick) {
  TempDir dir;
  write_pnm(dir.file("in.ppm"), photo_like());
  ASSERT_TRUE(
      run("/usr/bin/convert " + dir.file("in.ppm") + " -colorspace CMYK -quality 95 " + dir.file("c.jpg")));
  ASSERT_TRUE(run("/usr/bin/convert " + dir.file("c.jpg") + " -colorspace sRGB " + dir.file("c.ppm")));
  TDibImage dib = OpenDib(dir.file("c.jpg").c_str(), 0, nullptr);
  ASSERT_NE(dib.Bits, nullptr);
  EXPECT_EQ(dib.Info->bmiHeader.biBitCount, 24);
  // Both multiply the inverted inks; ImageMagick rounds in 16 bits.
  EXPECT_LE(max_channel_difference(pixels_of(dib), read_pnm(dir.file("c.ppm"))), 2);
  deldib(&dib);
}

}  // namespace
