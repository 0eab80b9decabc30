// SPDX-License-Identifier: GPL-3.0-or-later
// PixkitReadCaptureInfo on the seed files in tests/data/jpeg/capture (a
// JPEG whose EXIF names "Canon" / "Canon EOS 5D" / 2024:03:05 14:07:09, a
// big-endian TIFF naming "NIKON CORPORATION" / "NIKON D850" /
// 2019:12:31 23:59:00), on plain files, and on damaged fields, which count
// as absent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codecs/metadata/capture_fields.h"
#include "pixkit/pixkit.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

const std::string kCaptureFolder = std::string(STEMPORA_TEST_DATA) + "/jpeg/capture/";

PixkitCaptureInfo read_info(const std::string& path) {
  PixkitCaptureInfo info = PixkitCaptureInfoInit();
  EXPECT_EQ(PixkitReadCaptureInfo(path.c_str(), &info), 1) << path;
  return info;
}

pixkit::CaptureFields fields_of(const std::vector<uint8_t>& bytes) {
  return pixkit::read_capture_fields(pixkit::SpanSource(bytes));
}

}  // namespace

TEST(CaptureInfo, JpegExifGivesDateTimeAndCamera) {
  const PixkitCaptureInfo info = read_info(kCaptureFolder + "exif_camera_and_date.jpg");
  ASSERT_EQ(info.has_capture_time, 1);
  EXPECT_EQ(std::vector<int>({info.year, info.month, info.day, info.hour, info.minute, info.second}),
            std::vector<int>({2024, 3, 5, 14, 7, 9}));
  EXPECT_STREQ(info.make, "Canon");
  EXPECT_STREQ(info.model, "Canon EOS 5D");
  EXPECT_EQ(info.has_modified_time, 1);
}

TEST(CaptureInfo, BigEndianTiffFileIsReadInPlace) {
  const PixkitCaptureInfo info = read_info(kCaptureFolder + "big_endian_tiff_camera_and_date.tif");
  ASSERT_EQ(info.has_capture_time, 1);
  EXPECT_EQ(info.day, 31);
  EXPECT_EQ(info.minute, 59);
  EXPECT_STREQ(info.make, "NIKON CORPORATION");
  EXPECT_STREQ(info.model, "NIKON D850");
}

TEST(CaptureInfo, FileWithoutExifHasOnlyItsModificationTime) {
  testsupport::TempDir folder;
  const std::string path = folder.file("plain.bmp");
  testsupport::write_file(path, {'B', 'M', 0, 0, 0, 0});
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  const PixkitCaptureInfo info = read_info(path);
  EXPECT_EQ(info.has_capture_time, 0);
  EXPECT_STREQ(info.make, "");
  EXPECT_EQ(info.modified_time, int64_t(st.st_mtim.tv_sec));
}

TEST(CaptureInfo, MissingFileOrFolderIsNotOpened) {
  testsupport::TempDir folder;
  PixkitCaptureInfo info = PixkitCaptureInfoInit();
  EXPECT_EQ(PixkitReadCaptureInfo(folder.file("fehlt.jpg").c_str(), &info), 0);
  EXPECT_EQ(info.has_modified_time, 0);
  EXPECT_EQ(PixkitReadCaptureInfo(folder.path().c_str(), &info), 0);
}

TEST(CaptureInfo, DatesThatDoNotExistCountAsAbsent) {
  for (const char* text : {"0000:00:00 00:00:00", "    :  :     :  :  ", "2023:02:29 10:00:00",
                           "2024:13:01 10:00:00", "2024:01:01 24:00:00", "2024:01:01"}) {
    pixkit::CaptureFields fields;
    EXPECT_FALSE(pixkit::parse_exif_date_time(text, std::string(text).size(), fields)) << text;
  }
  pixkit::CaptureFields leap;
  EXPECT_TRUE(pixkit::parse_exif_date_time("2024:02:29 10:00:00", 19, leap));
}

TEST(CaptureInfo, ValuesPastTheEndAreAbsent) {
  std::vector<uint8_t> tiff = testsupport::read_file(kCaptureFolder + "big_endian_tiff_camera_and_date.tif");
  tiff.resize(80);  // the directories stay, the strings from 68 on are cut
  const pixkit::CaptureFields fields = fields_of(tiff);
  EXPECT_FALSE(fields.has_time);
  EXPECT_EQ(fields.make, "");
}

TEST(CaptureInfo, CameraNamesLoseControlAndStrayBytes) {
  std::vector<uint8_t> jpeg = testsupport::read_file(kCaptureFolder + "exif_camera_and_date.jpg");
  const std::string make = "Canon";
  auto at = std::search(jpeg.begin(), jpeg.end(), make.begin(), make.end());
  ASSERT_NE(at, jpeg.end());
  at[2] = 0x01;
  at[4] = 0xFF;
  EXPECT_EQ(fields_of(jpeg).make, "Cao");
}
