// SPDX-License-Identifier: GPL-3.0-or-later
// The colour profile through an export, checked by Little CMS's own tools
// and exiftool: a TIFF source's profile is honoured by the conversion to
// sRGB as a JPEG source's is, the profile travels into TIFF and JPEG 2000
// outputs, and leaving the metadata out keeps the colours what they are.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <string>
#include <vector>

#include "batch_scratch_folder.h"
#include "run/batch.h"
#include "run/log_text.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/rgba_pixels.h"

using batch_test::plain_job;
using batch_test::ScratchFolder;
using testsupport::have_program;
using testsupport::OwnedDib;
using testsupport::read_file;
using testsupport::run;
using Bytes = std::vector<uint8_t>;

namespace {

// An RGB profile of D65 white, the given primaries and one curve for all
// three channels, as Little CMS writes it.
Bytes rgb_profile(const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve) {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(curve);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

// Adobe RGB (1998): gamma 563/256.
Bytes adobe_rgb_profile() {
  return rgb_profile({{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}},
                     cmsBuildGamma(nullptr, 563.0 / 256.0));
}

// Display P3: the P3 primaries with sRGB's curve.
Bytes display_p3_profile() {
  const cmsFloat64Number srgb_curve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  return rgb_profile({{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}},
                     cmsBuildParametricToneCurve(nullptr, 4, srgb_curve));
}

// A grey profile: Little CMS's D50 grey with gamma 2.2.
Bytes grey_profile() {
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
  cmsFreeToneCurve(gamma);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

// Every hue at several saturations and lightnesses, the saturated corners
// (where Adobe RGB and P3 leave sRGB) included.
TDibImage colourful_picture() {
  TDibImage dib = newdib(96, 64, 24, nullptr, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 96; ++x) {
      const uint32_t r = uint32_t(x * 255 / 95), g = uint32_t(y * 255 / 63),
                     b = uint32_t((x * 7 + y * 13) % 256);
      setpixel(&dib, x, y, r | g << 8 | b << 16);
    }
  return dib;
}

// A TIFF of the picture carrying profile in tag 34675.
std::string tagged_tiff(const ScratchFolder& folder, const Bytes& profile, const std::string& name) {
  OwnedDib picture(colourful_picture());
  EXPECT_EQ(PixkitSetIccProfile(&picture.dib, profile.data(), profile.size()), 1);
  PixkitSaveSettings settings = PixkitSaveSettingsInit();
  settings.format = PIXKIT_FORMAT_TIF;
  settings.icc_in_all_formats = 1;
  EXPECT_EQ(SaveDibAs(&picture.dib, folder.file(name).c_str(), &settings, nullptr, nullptr), 1);
  return folder.file(name);
}

struct DeltaE {
  double mean = 0;
  double largest = 0;
};

// CIEDE2000 between two sRGB pictures of the same size, in Lab D50.
DeltaE delta_e_2000(const testsupport::Rgba& a, const testsupport::Rgba& b) {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHTRANSFORM to_lab =
      cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  DeltaE result;
  size_t count = 0;
  for (size_t i = 0; i + 2 < a.pixels.size() && i + 2 < b.pixels.size(); i += 3, ++count) {
    cmsCIELab la, lb;
    cmsDoTransform(to_lab, &a.pixels[i], &la, 1);
    cmsDoTransform(to_lab, &b.pixels[i], &lb, 1);
    const double d = cmsCIE2000DeltaE(&la, &lb, 1, 1, 1);
    result.mean += d;
    result.largest = std::max(result.largest, d);
  }
  cmsDeleteTransform(to_lab);
  cmsCloseProfile(lab);
  cmsCloseProfile(srgb);
  if (count > 0) result.mean /= double(count);
  return result;
}

testsupport::Rgba pixels_in(const std::string& path) {
  OwnedDib dib(OpenDib(path.c_str(), 0, nullptr));
  EXPECT_EQ(dib.bits(), 24) << path;
  return testsupport::pixels_of(dib.dib);
}

// The profile exiftool finds in file; empty when none.
Bytes profile_read_by_exiftool(const ScratchFolder& folder, const std::string& file) {
  const std::string extracted = folder.file("extracted.icc");
  EXPECT_TRUE(run("exiftool -q -b -ICC_Profile '" + file + "' > '" + extracted + "'"));
  return read_file(extracted);
}

// What exiftool says the profile in file describes.
std::string profile_description(const ScratchFolder& folder, const std::string& file) {
  const std::string listed = folder.file("description.txt");
  EXPECT_TRUE(run("exiftool -q -s3 -ProfileDescription '" + file + "' > '" + listed + "'"));
  const Bytes text = read_file(listed);
  return std::string(text.begin(), text.end());
}

struct WideGamutCase {
  const char* name;
  Bytes (*profile)();
};

const WideGamutCase kWideGamutCases[] = {{"AdobeRgb", adobe_rgb_profile}, {"DisplayP3", display_p3_profile}};

class TiffSourceToSrgb : public testing::TestWithParam<WideGamutCase> {};

}  // namespace

// tificc converts the same file through the profile it finds in it; ours
// must land within a Delta E 2000 of 1 on average and 3 anywhere.
TEST_P(TiffSourceToSrgb, ConvertsThroughTheEmbeddedProfileAsTificcDoes) {
  if (!have_program("tificc")) GTEST_SKIP() << "tificc (package liblcms2-utils) is not installed";
  ScratchFolder folder;
  const std::string source = tagged_tiff(folder, GetParam().profile(), "wide.tif");
  ASSERT_TRUE(run("tificc -t0 -o'*sRGB' '" + source + "' '" + folder.file("theirs.tif") + "'"));
  const testsupport::Rgba theirs = pixels_in(folder.file("theirs.tif"));
  // tificc saw the profile: its picture is not the stored values read as sRGB.
  ASSERT_GT(delta_e_2000(theirs, pixels_in(source)).mean, 2.0);

  WatermarkJob job = plain_job({source});
  job.output.convert_to_srgb = true;
  RunBatch(job, [](const std::string&) {});
  const std::string output = folder.file("Wasserzeichen/wide.tif");
  const DeltaE difference = delta_e_2000(pixels_in(output), theirs);
  RecordProperty("delta_e_mean", std::to_string(difference.mean));
  RecordProperty("delta_e_max", std::to_string(difference.largest));
  EXPECT_LE(difference.mean, 1.0);
  EXPECT_LE(difference.largest, 3.0);

  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  EXPECT_NE(profile_description(folder, output).find("sRGB"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(WideGamut, TiffSourceToSrgb, testing::ValuesIn(kWideGamutCases),
                         [](const testing::TestParamInfo<WideGamutCase>& info) { return info.param.name; });

// Without a conversion the source's profile is what the output's values
// mean, in every format that carries one.
TEST(ExportColourProfile, TiffSourceProfileTravelsIntoEveryOutputFormat) {
  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  ScratchFolder folder;
  const Bytes adobe = adobe_rgb_profile();
  const std::string source = tagged_tiff(folder, adobe, "wide.tif");
  const struct {
    ExportFormat format;
    const char* output;
  } outputs[] = {{ExportFormat::kTiff, "Wasserzeichen/wide.tif"},
                 {ExportFormat::kJpeg2000, "Wasserzeichen/wide.jp2"},
                 {ExportFormat::kJpeg, "Wasserzeichen/wide.jpg"},
                 {ExportFormat::kPng, "Wasserzeichen/wide.png"}};
  for (const auto& each : outputs) {
    SCOPED_TRACE(each.output);
    WatermarkJob job = plain_job({source});
    job.output.format = each.format;
    RunBatch(job, [](const std::string&) {});
    EXPECT_EQ(profile_read_by_exiftool(folder, folder.file(each.output)), adobe);
  }
  // The JP2's rewritten header still reads in another decoder.
  if (have_program("convert")) {
    EXPECT_TRUE(
        run("convert '" + folder.file("Wasserzeichen/wide.jp2") + "' '" + folder.file("back.ppm") + "'"));
  }
}

// "Keine Metadaten" leaves out what the file says about the photo, not
// what its colours are: the profile stays, or says sRGB after --srgb.
TEST(ExportColourProfile, NoMetadataKeepsTheProfileAndTagsAConversionAsSrgb) {
  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  ScratchFolder folder;
  const Bytes adobe = adobe_rgb_profile();
  const std::string source = tagged_tiff(folder, adobe, "wide.tif");
  for (const ExportFormat format : {ExportFormat::kJpeg, ExportFormat::kTiff}) {
    const std::string output =
        folder.file(format == ExportFormat::kJpeg ? "Wasserzeichen/wide.jpg" : "Wasserzeichen/wide.tif");
    SCOPED_TRACE(output);
    WatermarkJob job = plain_job({source});
    job.output.format = format;
    job.output.metadata = MetadataPolicy::kNone;
    RunBatch(job, [](const std::string&) {});
    EXPECT_EQ(profile_read_by_exiftool(folder, output), adobe);

    job.output.convert_to_srgb = true;
    RunBatch(job, [](const std::string&) {});
    EXPECT_NE(profile_description(folder, output).find("sRGB"), std::string::npos);
  }
}

// A profile that cannot say what the RGB values mean (a grey one, one cut
// off in the middle) is said once in the log and left out: the output
// reads as sRGB instead of under a label that misreads it.
TEST(ExportColourProfile, UnusableProfileIsLoggedOnceAndLeftOut) {
  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  ScratchFolder folder;
  const Bytes adobe = adobe_rgb_profile();
  const Bytes cut(adobe.begin(), adobe.begin() + long(adobe.size() / 2));
  for (const Bytes& unusable : {grey_profile(), cut}) {
    OwnedDib picture(colourful_picture());
    ASSERT_EQ(PixkitSetIccProfile(&picture.dib, unusable.data(), unusable.size()), 1);
    const std::string source = folder.file("tagged.jpg");
    ASSERT_EQ(SaveDib(&picture.dib, source.c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
    ASSERT_EQ(profile_read_by_exiftool(folder, source), unusable);

    WatermarkJob job = plain_job({source});
    job.output.format = ExportFormat::kTiff;
    batch_test::Logged log;
    RunBatch(job, log.sink());
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), UnusableProfileText(source)), 1);
    EXPECT_TRUE(profile_read_by_exiftool(folder, folder.file("Wasserzeichen/tagged.tif")).empty());

    job.output.convert_to_srgb = true;
    RunBatch(job, [](const std::string&) {});
    EXPECT_NE(profile_description(folder, folder.file("Wasserzeichen/tagged.tif")).find("sRGB"),
              std::string::npos);
  }
}
