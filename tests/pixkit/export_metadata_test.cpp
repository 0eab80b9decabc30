// SPDX-License-Identifier: GPL-3.0-or-later
// What an export load learns and keeps: the JPEG quality read back from the
// quantisation tables, decoding shrunk by the DCT, the further formats only
// when asked for; and what an export save leaves of the EXIF block.
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

void le16(Bytes& b, unsigned v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void le32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
void entry(Bytes& b, unsigned tag, unsigned type, uint32_t count, uint32_t value) {
  le16(b, tag);
  le16(b, type);
  le32(b, count);
  le32(b, value);
}
void text_at(Bytes& b, size_t at, const std::string& text) {
  b.resize(std::max(b.size(), at + text.size() + 1));
  std::copy(text.begin(), text.end(), b.begin() + long(at));
}

const std::string kSerial = "SN-4711-0815";
// GPSLatitude 47/1, 11/1, 815/100, as stored.
const Bytes kLatitude = {47, 0, 0, 0, 1, 0, 0, 0, 11, 0, 0, 0, 1, 0, 0, 0, 0x2F, 3, 0, 0, 100, 0, 0, 0};

// IFD0 at 8 (Make, Exif IFD at 50, GPS IFD at 80), the Exif IFD
// (DateTimeOriginal, BodySerialNumber), the GPS IFD (LatitudeRef,
// Latitude), then the values from 120 on.
Bytes exif_with_gps_and_serial() {
  Bytes b = {'I', 'I', 42, 0};
  le32(b, 8);
  le16(b, 3);
  entry(b, 0x010F, 2, 7, 120);
  entry(b, 0x8769, 4, 1, 50);
  entry(b, 0x8825, 4, 1, 80);
  le32(b, 0);
  le16(b, 2);
  entry(b, 0x9003, 2, 20, 128);
  entry(b, 0xA431, 2, uint32_t(kSerial.size() + 1), 148);
  le32(b, 0);
  le16(b, 2);
  entry(b, 0x0001, 2, 2, 'N');
  entry(b, 0x0002, 5, 3, 161);
  le32(b, 0);
  text_at(b, 120, "Kamera");
  text_at(b, 128, "2024:05:06 07:08:09");
  text_at(b, 148, kSerial);
  b.resize(161);
  b.insert(b.end(), kLatitude.begin(), kLatitude.end());
  return b;
}

// A JPEG of the pattern with the block in APP1, written by us.
std::string jpeg_with_exif(const TempDir& dir, const Bytes& block) {
  OwnedDib dib(make_pattern(40, 30, 24));
  const std::string plain = dir.file("plain.jpg");
  EXPECT_EQ(SaveDib(&dib.dib, plain.c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  const Bytes file = read_file(plain);
  Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
  payload.insert(payload.end(), block.begin(), block.end());
  Bytes out(file.begin(), file.begin() + 2);
  out.insert(out.end(), {0xFF, 0xE1, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)});
  out.insert(out.end(), payload.begin(), payload.end());
  out.insert(out.end(), file.begin() + 2, file.end());
  write_file(dir.file("gps.jpg"), out);
  return dir.file("gps.jpg");
}

bool contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}
Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string save_with_policy(const TempDir& dir, const std::string& source, int format, int policy,
                             const std::string& name) {
  OwnedDib dib(OpenDib(source.c_str(), 0, nullptr));
  PixkitSaveSettings s = PixkitSaveSettingsInit();
  s.format = format;
  s.metadata = policy;
  EXPECT_EQ(SaveDibAs(&dib.dib, dir.file(name).c_str(), &s, nullptr, nullptr), 1);
  return dir.file(name);
}

}  // namespace

TEST(ExportMetadata, WithoutGpsRemovesPositionAndSerialAndKeepsTheRest) {
  TempDir dir;
  const std::string source = jpeg_with_exif(dir, exif_with_gps_and_serial());
  for (const int format : {int(PIXKIT_FORMAT_JPG), int(PIXKIT_FORMAT_PNG), int(PIXKIT_FORMAT_WEBP)}) {
    SCOPED_TRACE(format);
    const Bytes all = read_file(save_with_policy(dir, source, format, PIXKIT_METADATA_ALL, "all"));
    EXPECT_TRUE(contains(all, bytes_of(kSerial)));
    EXPECT_TRUE(contains(all, kLatitude));

    const std::string private_copy =
        save_with_policy(dir, source, format, PIXKIT_METADATA_NO_GPS_SERIALS, "nogps");
    const Bytes bytes = read_file(private_copy);
    EXPECT_FALSE(contains(bytes, bytes_of(kSerial)));
    EXPECT_FALSE(contains(bytes, kLatitude));
    EXPECT_FALSE(contains(bytes, Bytes{0x25, 0x88, 4, 0}));  // the GPS IFD entry
    EXPECT_TRUE(contains(bytes, bytes_of("Kamera")));
    EXPECT_TRUE(contains(bytes, bytes_of("2024:05:06 07:08:09")));

    const Bytes none = read_file(save_with_policy(dir, source, format, PIXKIT_METADATA_NONE, "none"));
    EXPECT_FALSE(contains(none, bytes_of("Kamera")));
  }
  // The JPEG's block still reads as EXIF: camera and capture time come back.
  const std::string jpeg =
      save_with_policy(dir, source, PIXKIT_FORMAT_JPG, PIXKIT_METADATA_NO_GPS_SERIALS, "n.jpg");
  PixkitCaptureInfo info = PixkitCaptureInfoInit();
  ASSERT_EQ(PixkitReadCaptureInfo(jpeg.c_str(), &info), 1);
  EXPECT_STREQ(info.make, "Kamera");
  EXPECT_EQ(info.has_capture_time, 1);
  EXPECT_EQ(info.year, 2024);
}

TEST(ExportLoad, JpegQualityIsReadBackFromTheQuantisationTables) {
  TempDir dir;
  OwnedDib dib(make_pattern(64, 48, 24));
  for (const int quality : {12, 37, 75, 92, 100}) {
    PixkitCallOptions call = PixkitCallOptionsInit();
    call.jpeg_quality = quality;
    ASSERT_EQ(SaveDibWith(&dib.dib, dir.file("q.jpg").c_str(), PIXKIT_FORMAT_JPG, &call, nullptr), 1);
    PixkitLoadSettings load = PixkitLoadSettingsInit();
    OwnedDib back(OpenDibAs(dir.file("q.jpg").c_str(), &load, nullptr, nullptr));
    EXPECT_EQ(load.source_jpeg_quality, quality);
    EXPECT_EQ(load.source_format, PIXKIT_FORMAT_JPG);
  }
}

namespace {
void fit_to_200x150(void*, int32_t, int32_t, int32_t* w, int32_t* h) {
  *w = 190;
  *h = 140;
}
}  // namespace

TEST(ExportLoad, JpegShrinksWhileDecodingButNeverBelowTheFit) {
  TempDir dir;
  OwnedDib dib(make_pattern(800, 600, 24));
  ASSERT_EQ(SaveDib(&dib.dib, dir.file("big.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  PixkitLoadSettings load = PixkitLoadSettingsInit();
  load.fit = fit_to_200x150;
  OwnedDib back(OpenDibAs(dir.file("big.jpg").c_str(), &load, nullptr, nullptr));
  ASSERT_EQ(back.bits(), 24);
  EXPECT_EQ(back.dib.Info->bmiHeader.biWidth, 200);  // 2/8, the smallest scale still >= 190 x 140
  EXPECT_EQ(back.dib.Info->bmiHeader.biHeight, 150);
  EXPECT_EQ(load.source_width, 800);
  EXPECT_EQ(load.source_height, 600);
}

TEST(ExportLoad, FurtherFormatsLoadOnlyWhenAskedFor) {
  TempDir dir;
  OwnedDib dib(make_pattern(21, 13, 32));
  PixkitSaveSettings s = PixkitSaveSettingsInit();
  s.format = PIXKIT_FORMAT_WEBP;
  s.webp_lossless = 1;
  ASSERT_EQ(SaveDibAs(&dib.dib, dir.file("a.webp").c_str(), &s, nullptr, nullptr), 1);
  s.format = PIXKIT_FORMAT_AVIF;
  s.quality = 100;
  ASSERT_EQ(SaveDibAs(&dib.dib, dir.file("a.avif").c_str(), &s, nullptr, nullptr), 1);
  for (const std::string name : {"a.webp", "a.avif"}) {
    SCOPED_TRACE(name);
    int reason = 0;
    OwnedDib plain(OpenDibWith(dir.file(name).c_str(), nullptr, &reason));
    EXPECT_EQ(reason, PIXKIT_REASON_UNKNOWN_FORMAT);
    PixkitLoadSettings load = PixkitLoadSettingsInit();
    load.more_formats = 1;
    OwnedDib more(OpenDibAs(dir.file(name).c_str(), &load, nullptr, &reason));
    ASSERT_EQ(more.bits(), 32);
    EXPECT_EQ(more.dib.Info->bmiHeader.biWidth, 21);
    if (name == "a.webp") {
      EXPECT_EQ(pixels_of(more.dib), pixels_of(dib.dib));  // lossless, alpha kept
      EXPECT_EQ(load.source_format, PIXKIT_FORMAT_WEBP);
    } else {
      EXPECT_EQ(load.source_format, PIXKIT_FORMAT_AVIF);
    }
  }
}

TEST(ExportLoad, HeicLoadsUprightThroughLibheif) {
  if (!have_program("heif-enc") || !have_program("convert"))
    GTEST_SKIP() << "heif-enc or ImageMagick missing";
  TempDir dir;
  ASSERT_TRUE(run("convert -size 64x48 gradient:red-blue '" + dir.file("in.png") + "'"));
  if (!run("heif-enc -q 90 -o '" + dir.file("in.heic") + "' '" + dir.file("in.png") + "'"))
    GTEST_SKIP() << "heif-enc has no HEVC encoder here";
  PixkitLoadSettings load = PixkitLoadSettingsInit();
  load.more_formats = 1;
  int reason = 0;
  OwnedDib heic(OpenDibAs(dir.file("in.heic").c_str(), &load, nullptr, &reason));
  ASSERT_EQ(heic.bits(), 24) << reason;
  EXPECT_EQ(heic.dib.Info->bmiHeader.biWidth, 64);
  EXPECT_EQ(heic.dib.Info->bmiHeader.biHeight, 48);
  EXPECT_EQ(load.source_format, PIXKIT_SOURCE_HEIF);
  const uint32_t top = getpixel(&heic.dib, 32, 0);
  EXPECT_GT(top & 255, 200u);  // red at the top, as ImageMagick drew it
}

TEST(ExportLoad, AvifRotationAndMirrorBoxesTurnThePictureAsViewersShowIt) {
  if (!have_program("avifenc") || !have_program("convert")) GTEST_SKIP() << "avifenc or ImageMagick missing";
  TempDir dir;
  // 40 x 20, white with a red square at the top left.
  ASSERT_TRUE(
      run("convert -size 40x20 xc:white -fill red -draw 'rectangle 0,0 9,9' '" + dir.file("in.png") + "'"));
  struct Case {
    const char* flags;
    int width, height, red_x, red_y;
  };
  for (const Case c : {Case{"--irot 1", 20, 40, 2, 37}, Case{"--imir 1", 40, 20, 37, 2},
                       Case{"--imir 0", 40, 20, 2, 17}, Case{"--irot 2", 40, 20, 37, 17}}) {
    SCOPED_TRACE(c.flags);
    ASSERT_TRUE(run(std::string("avifenc -s 10 ") + c.flags + " '" + dir.file("in.png") + "' '" +
                    dir.file("out.avif") + "'"));
    PixkitLoadSettings load = PixkitLoadSettingsInit();
    load.more_formats = 1;
    OwnedDib picture(OpenDibAs(dir.file("out.avif").c_str(), &load, nullptr, nullptr));
    ASSERT_EQ(picture.bits(), 24);
    EXPECT_EQ(picture.dib.Info->bmiHeader.biWidth, c.width);
    EXPECT_EQ(picture.dib.Info->bmiHeader.biHeight, c.height);
    const uint32_t red = getpixel(&picture.dib, c.red_x, c.red_y);
    EXPECT_GT(red & 255, 200u);
    EXPECT_LT((red >> 8) & 255, 80u);
  }
}
