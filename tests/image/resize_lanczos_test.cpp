// SPDX-License-Identifier: GPL-3.0-or-later
// The Lanczos resize against ImageMagick 6's own (-filter Lanczos -resize
// WxH!) on a photo-like picture and on hard edges, where a filter of the
// same kind rings the same way and a different one would not.
#include "image/resize_lanczos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "image/dib_access.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;

double psnr(const Rgba& a, const Rgba& b) {
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const double d = double(a.pixels[i]) - double(b.pixels[i]);
    sum += d * d;
  }
  const double mse = sum / double(a.pixels.size());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// ImageMagick's resize of the BMP at in, as RGB.
Rgba magick_resize(const TempDir& dir, const std::string& in, int width, int height) {
  const std::string out = dir.file("magick.ppm");
  EXPECT_TRUE(run("convert '" + in + "' -filter Lanczos -resize " + std::to_string(width) + "x" +
                  std::to_string(height) + "! '" + out + "'"));
  return read_pnm(out);
}

Rgba our_resize(const std::string& in, int width, int height) {
  OwnedDib picture(OpenDib(in.c_str(), 0, nullptr));
  EXPECT_EQ(picture.bits(), 24);
  EXPECT_TRUE(ResizeDib(picture.dib, width, height));
  EXPECT_EQ(DibWidth(picture.dib), width);
  EXPECT_EQ(DibHeight(picture.dib), height);
  return pixels_of(picture.dib);
}

}  // namespace

TEST(ResizeLanczos, PhotoLikePictureWithin38DecibelsOfImageMagick) {
  if (!have_program("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string in = dir.file("photo.bmp");
  // Plasma with a little blur has a photo's mix of smooth areas and detail.
  ASSERT_TRUE(
      run("convert -seed 21 -size 900x600 plasma:fractal -blur 0x0.7 -type TrueColor BMP3:'" + in + "'"));
  for (const auto& [w, h] : {std::pair{400, 267}, std::pair{677, 451}, std::pair{123, 82}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    EXPECT_GE(psnr(our_resize(in, w, h), magick_resize(dir, in, w, h)), 38.0);
  }
}

// How far the values swing past the two greys of the edges picture.
int ringing(const Rgba& picture) {
  int swing = 0;
  for (const uint8_t v : picture.pixels) swing = std::max({swing, 64 - int(v), int(v) - 192});
  return swing;
}

TEST(ResizeLanczos, HardEdgesRingNoMoreThanImageMagicks) {
  if (!have_program("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string in = dir.file("edges.bmp");
  ASSERT_TRUE(
      run("convert -size 300x200 xc:'rgb(64,64,64)' -fill 'rgb(192,192,192)' -draw 'rectangle 60,40 200,150' "
          "-type TrueColor BMP3:'" +
          in + "'"));
  for (const auto& [w, h] : {std::pair{131, 89}, std::pair{240, 160}}) {
    const Rgba ours = our_resize(in, w, h);
    const Rgba theirs = magick_resize(dir, in, w, h);
    EXPECT_GT(ringing(theirs), 0);  // the filter rings at all
    EXPECT_LE(ringing(ours), ringing(theirs) + 1);
    EXPECT_GE(psnr(ours, theirs), 38.0);
  }
}

TEST(ResizeLanczos, AlphaPlaneFollowsThePicture) {
  AlphaPlane plane;
  plane.width = 8;
  plane.height = 4;
  plane.alpha.assign(32, 200);
  ASSERT_TRUE(ResizeAlphaPlane(plane, 3, 2));
  EXPECT_EQ(plane.width, 3);
  EXPECT_EQ(plane.height, 2);
  EXPECT_EQ(plane.alpha, std::vector<uint8_t>(6, 200));  // flat stays exactly flat
}
