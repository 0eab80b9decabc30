// PixkitReadCaptureInfo on hand-laid-out files: the EXIF date and camera of
// a JPEG and of a TIFF in either byte order, the modification time of any
// file, and damaged fields that count as absent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "codecs/capture_fields.h"
#include "pixkit/pixkit.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

class TiffBuilder {
 public:
  explicit TiffBuilder(bool big_endian) : be_(big_endian) {
    if (be_)
      bytes = {'M', 'M', 0, 42};
    else
      bytes = {'I', 'I', 42, 0};
    u32(8);
  }
  void u16(unsigned v) {
    if (be_)
      bytes.insert(bytes.end(), {uint8_t(v >> 8), uint8_t(v)});
    else
      bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8)});
  }
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (be_ ? 24 - 8 * i : 8 * i)));
  }
  void entry(unsigned tag, unsigned type, uint32_t count, uint32_t value) {
    u16(tag);
    u16(type);
    u32(count);
    u32(value);
  }
  Bytes bytes;

 private:
  bool be_;
};

// IFD0 at 8: Make, Model, Exif IFD pointer; Exif IFD at 50:
// DateTimeOriginal; the strings follow at 68.
Bytes exif_tiff(bool big_endian, const std::string& make, const std::string& model, const std::string& date) {
  TiffBuilder t(big_endian);
  const uint32_t strings = 68;
  const uint32_t model_at = strings + uint32_t(make.size()) + 1;
  const uint32_t date_at = model_at + uint32_t(model.size()) + 1;
  t.u16(3);
  t.entry(0x010F, 2, uint32_t(make.size()) + 1, strings);
  t.entry(0x0110, 2, uint32_t(model.size()) + 1, model_at);
  t.entry(0x8769, 4, 1, 50);
  t.u32(0);
  t.u16(1);
  t.entry(0x9003, 2, uint32_t(date.size()) + 1, date_at);
  t.u32(0);
  for (const std::string* s : {&make, &model, &date}) {
    t.bytes.insert(t.bytes.end(), s->begin(), s->end());
    t.bytes.push_back(0);
  }
  return t.bytes;
}

// SOI, an APP0, the APP1 "Exif" marker holding block, then scan data.
Bytes jpeg_with_exif(const Bytes& block) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F'};
  const size_t length = 2 + 6 + block.size();
  b.insert(b.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0});
  b.insert(b.end(), block.begin(), block.end());
  b.insert(b.end(), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9});
  return b;
}

PixkitCaptureInfo read_info(const testsupport::TempDir& folder, const Bytes& bytes) {
  const std::string path = folder.file("photo");
  testsupport::write_file(path, bytes);
  PixkitCaptureInfo info;
  EXPECT_EQ(PixkitReadCaptureInfo(path.c_str(), &info), 1);
  return info;
}

}  // namespace

TEST(CaptureInfo, JpegExifGivesDateTimeAndCamera) {
  testsupport::TempDir folder;
  const PixkitCaptureInfo info =
      read_info(folder, jpeg_with_exif(exif_tiff(false, "Canon", "Canon EOS 5D", "2024:03:05 14:07:09")));
  ASSERT_EQ(info.has_capture_time, 1);
  EXPECT_EQ(info.year, 2024);
  EXPECT_EQ(info.month, 3);
  EXPECT_EQ(info.day, 5);
  EXPECT_EQ(info.hour, 14);
  EXPECT_EQ(info.minute, 7);
  EXPECT_EQ(info.second, 9);
  EXPECT_STREQ(info.make, "Canon");
  EXPECT_STREQ(info.model, "Canon EOS 5D");
  EXPECT_EQ(info.has_modified_time, 1);
}

TEST(CaptureInfo, BigEndianTiffFileIsReadInPlace) {
  testsupport::TempDir folder;
  Bytes tiff = exif_tiff(true, "NIKON CORPORATION  ", "NIKON D850", "2019:12:31 23:59:00");
  tiff.resize(tiff.size() + 100000, 0x55);  // pixel data the reader never touches
  const PixkitCaptureInfo info = read_info(folder, tiff);
  ASSERT_EQ(info.has_capture_time, 1);
  EXPECT_EQ(info.day, 31);
  EXPECT_EQ(info.minute, 59);
  EXPECT_STREQ(info.make, "NIKON CORPORATION");  // trailing blanks trimmed
  EXPECT_STREQ(info.model, "NIKON D850");
}

TEST(CaptureInfo, FileWithoutExifHasOnlyItsModificationTime) {
  testsupport::TempDir folder;
  const std::string path = folder.file("plain.bmp");
  testsupport::write_file(path, Bytes{'B', 'M', 0, 0, 0, 0});
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  PixkitCaptureInfo info;
  ASSERT_EQ(PixkitReadCaptureInfo(path.c_str(), &info), 1);
  EXPECT_EQ(info.has_capture_time, 0);
  EXPECT_STREQ(info.make, "");
  EXPECT_EQ(info.has_modified_time, 1);
  EXPECT_EQ(info.modified_time, int64_t(st.st_mtim.tv_sec));
}

TEST(CaptureInfo, MissingFileOrFolderIsNotOpened) {
  testsupport::TempDir folder;
  PixkitCaptureInfo info;
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

TEST(CaptureInfo, OffsetsPastTheEndLeaveFieldsAbsent) {
  Bytes block = exif_tiff(false, "Make", "Model", "2024:03:05 14:07:09");
  block.resize(60);  // the strings and half the Exif IFD are gone
  const pixkit::CaptureFields fields = pixkit::read_capture_fields(pixkit::SpanSource(jpeg_with_exif(block)));
  EXPECT_FALSE(fields.has_time);
  EXPECT_EQ(fields.make, "");
  EXPECT_EQ(fields.model, "");
}

TEST(CaptureInfo, CameraNamesLoseControlBytesAndAreCut) {
  const std::string long_model(200, 'x');
  const pixkit::CaptureFields fields = pixkit::read_capture_fields(
      pixkit::SpanSource(exif_tiff(false, "Ma\x01ke\xFF", long_model, "2024:03:05 14:07:09")));
  EXPECT_EQ(fields.make, "Make");
  EXPECT_EQ(fields.model, std::string(pixkit::kMaxCameraNameBytes, 'x'));
}
