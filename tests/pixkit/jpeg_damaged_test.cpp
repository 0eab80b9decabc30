// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged and hostile JPEG files made while the test runs are refused
// without a crash; each saved good one (damaged only in its EXIF) loads at
// its size. The saved damaged files are checked in saved_files_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/data_files.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;

class JpegGoodFile : public ::testing::TestWithParam<std::string> {};

TEST_P(JpegGoodFile, LoadsAt24Bits) {
  const std::string& path = GetParam();
  TDibImage dib = OpenDib(path.c_str(), 0, nullptr);
  ASSERT_NE(dib.Bits, nullptr);
  EXPECT_EQ(dib.Info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(dib.Info->bmiHeader.biWidth, 16);
  EXPECT_EQ(dib.Info->bmiHeader.biHeight, 16);
  deldib(&dib);
}

INSTANTIATE_TEST_SUITE_P(Files, JpegGoodFile, ::testing::ValuesIn(data_files("jpeg", "good", ".jpg")),
                         data_file_test_name);

TEST(JpegReader, FileCutAnywhereIsRefused) {
  TempDir dir;
  TDibImage dib = make_pattern(40, 24, 24);
  ASSERT_EQ(SaveDib(&dib, dir.file("whole.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  deldib(&dib);
  const std::vector<uint8_t> whole = read_file(dir.file("whole.jpg"));
  for (size_t keep : {size_t(3), size_t(100), whole.size() / 2, whole.size() - 20, whole.size() - 2}) {
    write_file(dir.file("cut.jpg"), std::vector<uint8_t>(whole.begin(), whole.begin() + long(keep)));
    TDibImage cut = OpenDib(dir.file("cut.jpg").c_str(), 0, nullptr);
    EXPECT_EQ(cut.Bits, nullptr) << "kept " << keep << " of " << whole.size() << " bytes";
    deldib(&cut);
  }
}

TEST(JpegReader, TrailingBytesAfterTheEndMarkerAreIgnored) {
  TempDir dir;
  std::vector<uint8_t> file = read_file(std::string(STEMPORA_TEST_DATA) + "/jpeg/good/plain_baseline.jpg");
  file.insert(file.end(), 100, 0x5A);
  write_file(dir.file("long.jpg"), file);
  TDibImage dib = OpenDib(dir.file("long.jpg").c_str(), 0, nullptr);
  EXPECT_NE(dib.Bits, nullptr);
  deldib(&dib);
}

TEST(JpegReader, PictureBeyondTheLimitsIsRefusedBeforeDecoding) {
  PixkitSetLimits(15, 1000);
  const std::string path = std::string(STEMPORA_TEST_DATA) + "/jpeg/good/plain_baseline.jpg";
  TDibImage dib = OpenDib(path.c_str(), 0, nullptr);
  PixkitSetLimits(0, 0);
  EXPECT_EQ(dib.Bits, nullptr);
  deldib(&dib);
}

TEST(JpegWriter, QualitySettingChangesTheFileSize) {
  TempDir dir;
  TDibImage dib = make_pattern(64, 48, 24);
  SetJPEGQual(20);
  ASSERT_EQ(SaveDib(&dib, dir.file("low.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  SetJPEGQual(95);
  ASSERT_EQ(SaveDib(&dib, dir.file("high.jpg").c_str(), PIXKIT_FORMAT_JIF, nullptr), 1);
  SetJPEGQual(75);
  deldib(&dib);
  EXPECT_LT(fs::file_size(dir.file("low.jpg")) * 2, fs::file_size(dir.file("high.jpg")));
}

class JpegWriterDepth : public ::testing::TestWithParam<int> {};

TEST_P(JpegWriterDepth, RecordEncodesLikeA24BitRecordOfTheSamePixels) {
  TempDir dir;
  TDibImage dib = make_pattern(21, 13, GetParam());
  const Rgba pixels = pixels_of(dib);
  TDibImage wide = newdib(21, 13, 24, nullptr, 0);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 21; ++x) {
      const uint8_t* c = &pixels.pixels[size_t(y * 21 + x) * pixels.channels];
      setpixel(&wide, x, y, uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16);
    }
  ASSERT_EQ(SaveDib(&dib, dir.file("a.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  ASSERT_EQ(SaveDib(&wide, dir.file("b.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  deldib(&dib);
  deldib(&wide);
  EXPECT_EQ(read_file(dir.file("a.jpg")), read_file(dir.file("b.jpg")));
}

INSTANTIATE_TEST_SUITE_P(BitCounts, JpegWriterDepth, ::testing::Values(1, 4, 8, 32));

TEST(JpegReader, ProgressHandlerHearsTheLoadAndSaveAdvance) {
  TempDir dir;
  static std::vector<int> heard;
  heard.clear();
  int owner = 0;
  SetDibProgressHandler(&owner, [](void*, int percent) { heard.push_back(percent); });
  TDibImage dib = make_pattern(64, 256, 24);
  ASSERT_EQ(SaveDib(&dib, dir.file("p.jpg").c_str(), PIXKIT_FORMAT_JPG, &owner), 1);
  deldib(&dib);
  const size_t after_save = heard.size();
  TDibImage back = OpenDib(dir.file("p.jpg").c_str(), 0, &owner);
  SetDibProgressHandler(&owner, nullptr);
  ASSERT_NE(back.Bits, nullptr);
  deldib(&back);
  EXPECT_GT(after_save, 3u) << "rows written in steps";
  EXPECT_GT(heard.size() - after_save, 3u) << "rows read in steps";
}

}  // namespace
