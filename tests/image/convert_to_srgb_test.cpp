// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion to sRGB against Little CMS's own tool: an Adobe RGB
// picture converted by tificc and by us may differ by no more than a
// Delta E of 2 anywhere.
#include "image/convert_to_srgb.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;

// Adobe RGB (1998): its primaries, D65 and a gamma of 563/256.
std::vector<uint8_t> adobe_rgb_profile() {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::vector<uint8_t> bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

TDibImage colourful_picture() {
  TDibImage dib = newdib(64, 48, 24, nullptr, 0);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      setpixel(&dib, x, y, uint32_t(x * 4) | uint32_t(y * 5) << 8 | uint32_t(255 - x * 2 - y) << 16);
  return dib;
}

// The largest Delta E (CIE76, in Lab D50) between two sRGB pictures.
double largest_delta_e(const Rgba& a, const Rgba& b) {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHTRANSFORM to_lab =
      cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  double largest = 0;
  for (size_t i = 0; i + 2 < a.pixels.size(); i += 3) {
    cmsCIELab la, lb;
    cmsDoTransform(to_lab, &a.pixels[i], &la, 1);
    cmsDoTransform(to_lab, &b.pixels[i], &lb, 1);
    largest = std::max(largest, cmsDeltaE(&la, &lb));
  }
  cmsDeleteTransform(to_lab);
  cmsCloseProfile(lab);
  cmsCloseProfile(srgb);
  return largest;
}

}  // namespace

TEST(ConvertToSrgb, AdobeRgbPictureWithinDeltaE2OfTificc) {
  if (!have_program("tificc")) GTEST_SKIP() << "tificc (package liblcms2-utils) is not installed";
  TempDir dir;
  const std::vector<uint8_t> adobe = adobe_rgb_profile();
  write_file(dir.file("adobe.icc"), adobe);
  OwnedDib picture(colourful_picture());
  ASSERT_EQ(SaveDib(&picture.dib, dir.file("in.tif").c_str(), PIXKIT_FORMAT_TIF, nullptr), 1);
  ASSERT_TRUE(run("tificc -i'" + dir.file("adobe.icc") + "' '" + dir.file("in.tif") + "' '" +
                  dir.file("out.tif") + "'"));
  OwnedDib theirs(OpenDib(dir.file("out.tif").c_str(), 0, nullptr));
  ASSERT_EQ(theirs.bits(), 24);

  ASSERT_EQ(PixkitSetIccProfile(&picture.dib, adobe.data(), adobe.size()), 1);
  const Rgba before = pixels_of(picture.dib);
  ASSERT_TRUE(ConvertToSrgb(picture.dib));
  EXPECT_NE(pixels_of(picture.dib), before);  // the colours did change
  EXPECT_LE(largest_delta_e(pixels_of(picture.dib), pixels_of(theirs.dib)), 2.0);

  // The record now says sRGB.
  const uint8_t* profile = nullptr;
  size_t size = 0;
  ASSERT_EQ(PixkitGetIccProfile(&picture.dib, &profile, &size), 1);
  cmsHPROFILE kept = cmsOpenProfileFromMem(profile, cmsUInt32Number(size));
  ASSERT_NE(kept, nullptr);
  char description[128] = {};
  cmsGetProfileInfoASCII(kept, cmsInfoDescription, "en", "US", description, sizeof description);
  EXPECT_NE(std::string(description).find("sRGB"), std::string::npos) << description;
  cmsCloseProfile(kept);
}

// The profile that tags a converted picture must not carry the time it was
// made: a job run twice, or two workers a second apart, wrote different
// bytes for the same picture.
TEST(ConvertToSrgb, TheSrgbTagIsTheSameBytesAtAnyTime) {
  const auto tagged = [] {
    OwnedDib picture(colourful_picture());
    EXPECT_TRUE(ConvertToSrgb(picture.dib));
    const uint8_t* profile = nullptr;
    size_t size = 0;
    EXPECT_EQ(PixkitGetIccProfile(&picture.dib, &profile, &size), 1);
    return std::vector<uint8_t>(profile, profile + size);
  };
  const std::vector<uint8_t> first = tagged();
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(tagged(), first);
}
