// SPDX-License-Identifier: GPL-3.0-or-later
// EXIF and ICC carried from a load to a save, and photos turned upright by
// their EXIF orientation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;
using Bytes = std::vector<uint8_t>;

constexpr int kWidth = 48, kHeight = 32;
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kGrey = 0x808080;

void le16(Bytes& b, unsigned v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void le32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
void entry(Bytes& b, unsigned tag, unsigned type, uint32_t value) {
  le16(b, tag);
  le16(b, type);
  le32(b, 1);
  if (type == 3) {
    le16(b, value);
    le16(b, 0);
  } else {
    le32(b, value);
  }
}

// Little-endian EXIF block: IFD0 at 8 (Orientation, Exif IFD pointer, link
// to IFD1), Exif IFD at 38 (PixelX/YDimension), IFD1 at 68 (a 16-byte
// thumbnail at 98). Offsets of the values: orientation 18, PixelX 48,
// PixelY 60, IFD0's link 34.
Bytes exif_block(unsigned orientation) {
  Bytes b = {'I', 'I', 42, 0};
  le32(b, 8);
  le16(b, 2);
  entry(b, 0x0112, 3, orientation);
  entry(b, 0x8769, 4, 38);
  le32(b, 68);
  le16(b, 2);
  entry(b, 0xA002, 4, kWidth);
  entry(b, 0xA003, 3, kHeight);
  le32(b, 0);
  le16(b, 2);
  entry(b, 0x0201, 4, 98);
  entry(b, 0x0202, 4, 16);
  le32(b, 0);
  b.insert(b.end(), 16, 0xAB);
  return b;
}

Bytes marker(uint8_t code, const Bytes& payload) {
  Bytes m = {0xFF, code, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)};
  m.insert(m.end(), payload.begin(), payload.end());
  return m;
}

Bytes exif_marker(const Bytes& block) {
  Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
  payload.insert(payload.end(), block.begin(), block.end());
  return marker(0xE1, payload);
}

Bytes icc_payload(uint8_t sequence, uint8_t count, const Bytes& chunk) {
  Bytes payload = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, sequence, count};
  payload.insert(payload.end(), chunk.begin(), chunk.end());
  return payload;
}

Bytes icc_marker(uint8_t sequence, uint8_t count, const Bytes& chunk) {
  return marker(0xE2, icc_payload(sequence, count, chunk));
}

// Our JPEG of a grey 48 x 32 picture with a red 16 x 16 block at the top
// left and a green one at the top right; the markers go in after SOI.
Bytes jpeg_with_markers(const TempDir& dir, const std::vector<Bytes>& markers) {
  TDibImage dib = newdib(kWidth, kHeight, 24, nullptr, 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      setpixel(&dib, x, y, y < 16 && x < 16 ? kRed : y < 16 && x >= kWidth - 16 ? kGreen : kGrey);
  const std::string path = dir.file("plain.jpg");
  EXPECT_EQ(SaveDib(&dib, path.c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  deldib(&dib);
  Bytes file = read_file(path);
  Bytes out(file.begin(), file.begin() + 2);
  for (const Bytes& m : markers) out.insert(out.end(), m.begin(), m.end());
  out.insert(out.end(), file.begin() + 2, file.end());
  return out;
}

// Payloads of the markers with this code before the first scan.
std::vector<Bytes> payloads_of(const Bytes& file, uint8_t code) {
  std::vector<Bytes> found;
  size_t pos = 2;
  while (pos + 4 <= file.size() && file[pos] == 0xFF && file[pos + 1] != 0xDA) {
    const size_t length = size_t(file[pos + 2]) << 8 | file[pos + 3];
    if (file[pos + 1] == code)
      found.emplace_back(file.begin() + long(pos + 4), file.begin() + long(pos + 2 + length));
    pos += 2 + length;
  }
  return found;
}

TDibImage load_bytes(const TempDir& dir, const Bytes& file) {
  write_file(dir.file("in.jpg"), file);
  return OpenDib(dir.file("in.jpg").c_str(), 0, nullptr);
}

bool near(uint32_t value, uint32_t expected) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(int((value >> shift) & 255) - int((expected >> shift) & 255)) > 24) return false;
  return true;
}

struct OrientationCase {
  unsigned orientation;
  const char* red_corner;    // where the stored top-left ends up
  const char* green_corner;  // where the stored top-right ends up
};

class JpegExifOrientation : public ::testing::TestWithParam<OrientationCase> {};

uint32_t corner(const TDibImage& dib, const std::string& name) {
  const int w = dib.Info->bmiHeader.biWidth, h = dib.Info->bmiHeader.biHeight;
  const int x = name[1] == 'L' ? 4 : w - 5, y = name[0] == 'T' ? 4 : h - 5;
  return getpixel(&dib, x, y);
}

TEST_P(JpegExifOrientation, LoadTurnsThePictureUpright) {
  TempDir dir;
  const OrientationCase c = GetParam();
  TDibImage dib = load_bytes(dir, jpeg_with_markers(dir, {exif_marker(exif_block(c.orientation))}));
  ASSERT_NE(dib.Bits, nullptr);
  const bool swapped = c.orientation >= 5;
  EXPECT_EQ(dib.Info->bmiHeader.biWidth, swapped ? kHeight : kWidth);
  EXPECT_EQ(dib.Info->bmiHeader.biHeight, swapped ? kWidth : kHeight);
  EXPECT_TRUE(near(corner(dib, c.red_corner), kRed)) << std::hex << corner(dib, c.red_corner);
  EXPECT_TRUE(near(corner(dib, c.green_corner), kGreen)) << std::hex << corner(dib, c.green_corner);
  deldib(&dib);
}

INSTANTIATE_TEST_SUITE_P(AllEight, JpegExifOrientation,
                         ::testing::Values(OrientationCase{1, "TL", "TR"}, OrientationCase{2, "TR", "TL"},
                                           OrientationCase{3, "BR", "BL"}, OrientationCase{4, "BL", "BR"},
                                           OrientationCase{5, "TL", "BL"}, OrientationCase{6, "TR", "BR"},
                                           OrientationCase{7, "BR", "TR"}, OrientationCase{8, "BL", "TL"}),
                         [](const auto& info) {
                           return "Orientation" + std::to_string(info.param.orientation);
                         });

TEST(JpegExif, RotationMovesEveryPixelLikeQuarterTurnClockwise) {
  TempDir dir;
  TDibImage stored = load_bytes(dir, jpeg_with_markers(dir, {}));
  TDibImage turned = load_bytes(dir, jpeg_with_markers(dir, {exif_marker(exif_block(6))}));
  ASSERT_NE(stored.Bits, nullptr);
  ASSERT_NE(turned.Bits, nullptr);
  // Orientation 6: stored row 0 is shown as the right column.
  for (int y = 0; y < kWidth; ++y)
    for (int x = 0; x < kHeight; ++x)
      ASSERT_EQ(getpixel(&turned, x, y), getpixel(&stored, y, kHeight - 1 - x)) << x << "," << y;
  deldib(&stored);
  deldib(&turned);
}

TEST(JpegExif, SaveWritesOrientationOneUprightSizeAndNoThumbnail) {
  TempDir dir;
  TDibImage dib = load_bytes(dir, jpeg_with_markers(dir, {exif_marker(exif_block(6))}));
  ASSERT_NE(dib.Bits, nullptr);
  ASSERT_EQ(SaveDib(&dib, dir.file("out.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  deldib(&dib);
  const auto app1 = payloads_of(read_file(dir.file("out.jpg")), 0xE1);
  ASSERT_EQ(app1.size(), 1u);
  const Bytes& exif = app1[0];
  ASSERT_EQ(exif.size(), 6u + 98u) << "the thumbnail at the end is cut off";
  ASSERT_EQ(std::memcmp(exif.data(), "Exif\0\0", 6), 0);
  const uint8_t* tiff = exif.data() + 6;
  EXPECT_EQ(tiff[18] | tiff[19] << 8, 1) << "orientation";
  EXPECT_EQ(tiff[48] | tiff[49] << 8, kHeight) << "PixelXDimension";
  EXPECT_EQ(tiff[60] | tiff[61] << 8, kWidth) << "PixelYDimension";
  EXPECT_EQ(tiff[34] | tiff[35] << 8 | tiff[36] << 16 | tiff[37] << 24, 0) << "link to IFD1";
  for (int i = 68; i < 98; ++i) EXPECT_EQ(tiff[i], 0) << "IFD1 byte " << i;

  TDibImage again = OpenDib(dir.file("out.jpg").c_str(), 0, nullptr);
  ASSERT_NE(again.Bits, nullptr);
  EXPECT_EQ(again.Info->bmiHeader.biWidth, kHeight) << "not turned a second time";
  deldib(&again);
}

TEST(JpegExif, DamagedExifIsDroppedAndThePictureStillLoads) {
  TempDir dir;
  Bytes block = exif_block(6);
  block[4] = 0xF0;  // IFD0 offset far past the end
  TDibImage dib = load_bytes(dir, jpeg_with_markers(dir, {exif_marker(block)}));
  ASSERT_NE(dib.Bits, nullptr);
  EXPECT_EQ(dib.Info->bmiHeader.biWidth, kWidth) << "orientation unknown: left as stored";
  ASSERT_EQ(SaveDib(&dib, dir.file("out.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  deldib(&dib);
  EXPECT_TRUE(payloads_of(read_file(dir.file("out.jpg")), 0xE1).empty());
}

Bytes fake_profile(size_t size) {
  Bytes profile(size);
  for (size_t i = 0; i < size; ++i) profile[i] = uint8_t(i * 31 + i / 256);
  return profile;
}

TEST(JpegIcc, ProfileInTwoChunksSurvivesLoadAndSave) {
  TempDir dir;
  const Bytes profile = fake_profile(70000);
  const Bytes first(profile.begin(), profile.begin() + 65519), second(profile.begin() + 65519, profile.end());
  // Chunks out of order: the sequence numbers decide.
  TDibImage dib =
      load_bytes(dir, jpeg_with_markers(dir, {icc_marker(2, 2, second), icc_marker(1, 2, first)}));
  ASSERT_NE(dib.Bits, nullptr);
  ASSERT_EQ(SaveDib(&dib, dir.file("out.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  deldib(&dib);
  const auto app2 = payloads_of(read_file(dir.file("out.jpg")), 0xE2);
  ASSERT_EQ(app2.size(), 2u);
  EXPECT_EQ(app2[0], icc_payload(1, 2, first));
  EXPECT_EQ(app2[1], icc_payload(2, 2, second));
}

TEST(JpegIcc, ChunksThatDoNotMakeOneProfileAreDropped) {
  const Bytes a = fake_profile(100), b = fake_profile(50);
  const std::vector<std::vector<Bytes>> broken = {
      {icc_marker(1, 2, a)},                       // second chunk missing
      {icc_marker(1, 2, a), icc_marker(1, 2, b)},  // first chunk twice
      {icc_marker(1, 2, a), icc_marker(2, 3, b)},  // counts disagree
      {icc_marker(3, 2, a), icc_marker(1, 2, b)},  // sequence beyond the count
  };
  for (const auto& markers : broken) {
    TempDir dir;
    TDibImage dib = load_bytes(dir, jpeg_with_markers(dir, markers));
    ASSERT_NE(dib.Bits, nullptr);
    ASSERT_EQ(SaveDib(&dib, dir.file("out.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
    deldib(&dib);
    EXPECT_TRUE(payloads_of(read_file(dir.file("out.jpg")), 0xE2).empty());
  }
}

TEST(JpegDensity, JfifDotsPerInchBecomePixelsPerMeterAndBack) {
  TempDir dir;
  Bytes file = jpeg_with_markers(dir, {});
  // JFIF APP0 right after SOI: units at 13, X density at 14, Y at 16.
  ASSERT_EQ(std::memcmp(&file[6], "JFIF", 4), 0);
  file[13] = 1;
  file[14] = 300 >> 8, file[15] = 300 & 255;
  file[16] = 0, file[17] = 150;
  TDibImage dib = load_bytes(dir, file);
  ASSERT_NE(dib.Bits, nullptr);
  EXPECT_EQ(dib.Info->bmiHeader.biXPelsPerMeter, 11811);  // 300 / 0.0254
  EXPECT_EQ(dib.Info->bmiHeader.biYPelsPerMeter, 5906);   // 150 / 0.0254, rounded
  ASSERT_EQ(SaveDib(&dib, dir.file("out.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  deldib(&dib);
  const Bytes saved = read_file(dir.file("out.jpg"));
  EXPECT_EQ(saved[13], 1);
  EXPECT_EQ(saved[14] << 8 | saved[15], 300);
  EXPECT_EQ(saved[16] << 8 | saved[17], 150);
}

}  // namespace
