// SPDX-License-Identifier: GPL-3.0-or-later
// The ICC profile of TIFF sources and in TIFF and JP2 outputs: an RGB
// file's profile is kept with the record, and written back only where the
// save asks for it, so a plain save keeps its bytes of before.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;
using Bytes = std::vector<uint8_t>;

// Profile-shaped bytes: an RGB display profile's header and a run no
// picture data would hold. The writers carry a profile without reading it.
Bytes marked_rgb_profile() {
  Bytes profile(400);
  for (size_t i = 0; i < profile.size(); ++i) profile[i] = uint8_t(i * 37 + 11);
  profile[0] = 0;
  profile[1] = 0;
  profile[2] = uint8_t(profile.size() >> 8);
  profile[3] = uint8_t(profile.size());
  // Class, colour space, connection space and signature, as exiftool
  // checks them before it writes a profile.
  const std::string header = "mntrRGB XYZ ";
  std::copy(header.begin(), header.end(), profile.begin() + 12);
  const std::string signature = "acsp";
  std::copy(signature.begin(), signature.end(), profile.begin() + 36);
  return profile;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

Bytes profile_of(const TDibImage& dib) {
  const uint8_t* profile = nullptr;
  size_t size = 0;
  if (PixkitGetIccProfile(&dib, &profile, &size) != 1) return {};
  return Bytes(profile, profile + size);
}

}  // namespace

TEST(TiffJp2Profile, PlainSaveLeavesItOutAndAnExportSaveWritesIt) {
  TempDir dir;
  const Bytes profile = marked_rgb_profile();
  OwnedDib picture(make_pattern(24, 16, 24));
  ASSERT_EQ(PixkitSetIccProfile(&picture.dib, profile.data(), profile.size()), 1);
  for (const int format : {int(PIXKIT_FORMAT_TIF), int(PIXKIT_FORMAT_JP2)}) {
    SCOPED_TRACE(format);
    ASSERT_EQ(SaveDib(&picture.dib, dir.file("plain").c_str(), format, nullptr), 1);
    EXPECT_FALSE(contains(read_file(dir.file("plain")), profile));

    PixkitSaveSettings settings = PixkitSaveSettingsInit();
    settings.format = format;
    settings.icc_in_all_formats = 1;
    ASSERT_EQ(SaveDibAs(&picture.dib, dir.file("tagged").c_str(), &settings, nullptr, nullptr), 1);
    EXPECT_TRUE(contains(read_file(dir.file("tagged")), profile));
    // The profile comes back with the same pixels.
    OwnedDib plain(OpenDib(dir.file("plain").c_str(), 0, nullptr));
    OwnedDib back(OpenDib(dir.file("tagged").c_str(), 0, nullptr));
    ASSERT_EQ(back.bits(), 24);
    EXPECT_EQ(pixels_of(back.dib), pixels_of(plain.dib));
    if (format == PIXKIT_FORMAT_TIF) {
      EXPECT_EQ(profile_of(back.dib), profile);
    }
  }
}

// exiftool writes the profile into tag 34675 of a TIFF we wrote without
// one; the record gets those bytes, from an RGB file only.
TEST(TiffJp2Profile, RgbTiffTaggedByExiftoolHandsItsProfileToTheRecord) {
  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  TempDir dir;
  const Bytes profile = marked_rgb_profile();
  write_file(dir.file("marked.icc"), profile);
  for (const int bits : {24, 8}) {
    SCOPED_TRACE(bits);
    OwnedDib picture(make_pattern(24, 16, bits));
    ASSERT_EQ(SaveDib(&picture.dib, dir.file("in.tif").c_str(), PIXKIT_FORMAT_TIF, nullptr), 1);
    ASSERT_TRUE(run("exiftool -q -overwrite_original '-ICC_Profile<=" + dir.file("marked.icc") + "' '" +
                    dir.file("in.tif") + "'"));
    OwnedDib tagged(OpenDib(dir.file("in.tif").c_str(), 0, nullptr));
    EXPECT_EQ(profile_of(tagged.dib), profile);
  }
}
