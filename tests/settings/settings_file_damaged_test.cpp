// SPDX-License-Identifier: GPL-3.0-or-later
// Files that are not complete settings files are refused as damaged, and
// reading them hands out no picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "settings/settings_file.h"
#include "settings_test_support.h"

using namespace settings_test;

namespace {

struct Layout {
  std::vector<uint8_t> bytes;
  size_t end_of_rows = 0;  // where a file without font ends
};

// A complete file with one source, a 2 x 2 picture and a font.
Layout complete_file() {
  Bytes b;
  b.i32(1).string("/a.bmp").f64(20).f64(20).string("Text").u8(1).u8(0).u8(0).u8(1);
  b.i32(75).i32(50).i32(4).i32(9).i32(75);
  b.string("W").string("/1").string("").string("").string("");
  picture_header(b, 2, 2).zeros(16);
  Layout layout;
  layout.end_of_rows = b.bytes().size();
  b.u8(0).i32(0).u8(2).text("Ab").u8(0).i32(96).i32(14).u8(0);
  layout.bytes = b.bytes();
  return layout;
}

SettingsReadResult read_as_file(const std::vector<uint8_t>& bytes) {
  ScratchFolder folder;
  write_file(folder.file("d.stx"), bytes);
  SettingsReadResult read = ReadSettingsFile(folder.file("d.stx"));
  if (!read.ok()) {
    EXPECT_EQ(read.message, "Die Datei " + folder.file("d.stx") + " ist beschädigt und wurde nicht geladen.");
  }
  return read;
}

void expect_damaged(const std::vector<uint8_t>& bytes, const char* what) {
  SettingsReadResult read = read_as_file(bytes);
  EXPECT_EQ(read.failure, SettingsReadFailure::kDamaged) << what;
  EXPECT_EQ(read.content.watermark.Bits, nullptr) << what;
  if (read.ok()) deldib(&read.content.watermark);
}

// Replaces 4 bytes at offset with a little-endian number.
std::vector<uint8_t> with_i32(std::vector<uint8_t> bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + size_t(i)] = uint8_t(uint32_t(value) >> (8 * i));
  return bytes;
}

constexpr size_t kSourceLengthAt = 4;
constexpr size_t kTextMarginAt = 14;
constexpr size_t kHeaderAt = 14 + 16 + 8 + 4 + 20 + 5 + 6 + 12;

}  // namespace

TEST(SettingsFile, CompleteFileAndFileWithoutFontRead) {
  const Layout layout = complete_file();
  SettingsReadResult read = read_as_file(layout.bytes);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.font->name, "Ab");
  deldib(&read.content.watermark);
  read = read_as_file(
      std::vector<uint8_t>(layout.bytes.begin(), layout.bytes.begin() + long(layout.end_of_rows)));
  ASSERT_TRUE(read.ok());
  deldib(&read.content.watermark);
}

TEST(SettingsFile, FileCutAtAnyOtherLengthIsDamaged) {
  const Layout layout = complete_file();
  for (size_t length = 0; length < layout.bytes.size(); ++length) {
    if (length == layout.end_of_rows) continue;
    SCOPED_TRACE(length);
    expect_damaged(std::vector<uint8_t>(layout.bytes.begin(), layout.bytes.begin() + long(length)), "cut");
  }
}

TEST(SettingsFile, TrailingBytesAfterTheFontAreIgnored) {
  std::vector<uint8_t> bytes = complete_file().bytes;
  bytes.insert(bytes.end(), {1, 2, 3});
  SettingsReadResult read = read_as_file(bytes);
  EXPECT_TRUE(read.ok());
  deldib(&read.content.watermark);
}

TEST(SettingsFile, NegativeOrOversizedCountsAreDamaged) {
  const std::vector<uint8_t> good = complete_file().bytes;
  ASSERT_EQ(good[kHeaderAt], 40);
  expect_damaged(with_i32(good, 0, -1), "negative source count");
  expect_damaged(with_i32(good, 0, std::numeric_limits<int32_t>::max()), "huge source count");
  expect_damaged(with_i32(good, kSourceLengthAt, -6), "negative string length");
  expect_damaged(with_i32(good, kSourceLengthAt, std::numeric_limits<int32_t>::max()), "huge string length");
}

TEST(SettingsFile, NonFiniteMarginIsDamaged) {
  for (double margin :
       {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
    std::vector<uint8_t> bytes = complete_file().bytes;
    Bytes value;
    value.f64(margin);
    std::copy(value.bytes().begin(), value.bytes().end(), bytes.begin() + long(kTextMarginAt));
    expect_damaged(bytes, "margin");
  }
}

TEST(SettingsFile, PictureHeaderThatIsNotA24BitPictureIsDamaged) {
  const std::vector<uint8_t> good = complete_file().bytes;
  std::vector<uint8_t> bits = good;
  bits[kHeaderAt + 14] = 8;
  expect_damaged(bits, "8 bits");
  bits[kHeaderAt + 14] = 32;
  expect_damaged(bits, "32 bits");
  expect_damaged(with_i32(good, kHeaderAt + 4, 0), "width 0");
  expect_damaged(with_i32(good, kHeaderAt + 8, -2), "height -2");
  expect_damaged(with_i32(good, kHeaderAt + 4, 1 << 30), "rows longer than the file");
  expect_damaged(with_i32(with_i32(good, kHeaderAt + 4, 1 << 20), kHeaderAt + 8, 1 << 20),
                 "too large to create");
}
