// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes are the contract: files we write are compared with layouts
// worked out by hand.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "settings_test_support.h"

using namespace settings_test;

namespace {

// The header fields the library fills are set here too, so the expected
// bytes do not depend on how a record was made.
void set_plain_header(TDibImage& picture) {
  PixkitBitmapInfoHeader& h = picture.Info->bmiHeader;
  h.biSizeImage = uint32_t(picture.RowBytes) * uint32_t(h.biHeight);
  h.biXPelsPerMeter = 0;
  h.biYPelsPerMeter = 0;
  h.biClrUsed = 0;
  h.biClrImportant = 0;
}

}  // namespace

TEST(SettingsFile, WorkedExampleIsWrittenByteForByte) {
  ScratchFolder folder;
  SettingsFileContent content;
  content.sources = {"/p/a.bmp"};
  content.text_margin = 20;
  content.picture_margin = 12;
  content.text = "Hi\r\ndu";
  content.out_dir = "W";
  content.save_settings_dialog_dir = "/s";
  content.watermark = newdib(1, 1, 24, nullptr, 0);
  set_plain_header(content.watermark);
  setpixel(&content.watermark, 0, 0, 3u | 2u << 8 | 1u << 16);  // red 3, green 2, blue 1
  TextFont font;
  font.name = "Arial";
  font.color = 0xFF;
  font.pitch = kPitchFixed;
  font.size = 14;
  font.style = kFontBold | kFontItalic;
  content.font = font;

  ASSERT_TRUE(WriteSettingsFile(folder.file("job.stx"), content).ok);
  deldib(&content.watermark);

  const std::vector<uint8_t> expected = {
      1,  0,    0,  0,                                            // one source
      8,  0,    0,  0, '/', 'p', '/',  'a',  '.', 'b', 'm', 'p',  //
      0,  0,    0,  0, 0,   0,   0x34, 0x40,                      // text margin 20.0
      0,  0,    0,  0, 0,   0,   0x28, 0x40,                      // picture margin 12.0
      6,  0,    0,  0, 'H', 'i', '\r', '\n', 'd', 'u',            // memo joined by CR LF
      1,  0,    0,  1,                                            // text on, picture off
      75, 0,    0,  0, 50,  0,   0,    0,                         // transparencies
      4,  0,    0,  0, 9,   0,   0,    0,                         // placements
      75, 0,    0,  0,                                            // JPEG quality
      1,  0,    0,  0, 'W',                                       // output folder
      0,  0,    0,  0, 0,   0,   0,    0,    0,   0,   0,   0,    // three empty dialog folders
      2,  0,    0,  0, '/', 's',                                  // save dialog folder
      40, 0,    0,  0, 1,   0,   0,    0,    1,   0,   0,   0,
      1,  0,    24, 0,                     // header: size, width, height, planes, bits
      0,  0,    0,  0, 4,   0,   0,    0,  // compression, image size
      0,  0,    0,  0, 0,   0,   0,    0,    0,   0,   0,   0,
      0,  0,    0,  0,                                       // resolution, colours
      1,  2,    3,  0,                                       // the one row: blue, green, red, padding
      0,  0xFF, 0,  0, 0,   5,   'A',  'r',  'i', 'a', 'l',  // charset, colour, name
      2,  96,   0,  0, 0,   14,  0,    0,    0,   3,         // pitch, ppi, size, style
  };
  EXPECT_EQ(read_file(folder.file("job.stx")), expected);
}

TEST(SettingsFile, EmptyJobWithStartPictureAndFontIs192135Bytes) {
  ScratchFolder folder;
  SettingsFileContent content;
  content.out_dir = "";
  content.watermark = newdib(320, 200, 24, nullptr, 0);
  content.font = TextFont{};
  ASSERT_TRUE(WriteSettingsFile(folder.file("leer.stx"), content).ok);
  deldib(&content.watermark);

  const std::vector<uint8_t> bytes = read_file(folder.file("leer.stx"));
  ASSERT_EQ(bytes.size(), 192135u);      // 108 + 200 rows of 960 + 16 + "Arial Black"
  EXPECT_EQ(bytes[108 - 40 + 4], 0x40);  // width 320 at header offset 4
  EXPECT_EQ(bytes[108 - 40 + 5], 0x01);
  EXPECT_EQ(bytes[108 + 192000 + 5], 11);  // the font name's length

  SettingsReadResult read = ReadSettingsFile(folder.file("leer.stx"));
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_TRUE(read.content.sources.empty());
  EXPECT_TRUE(read.content.text.empty());
  EXPECT_EQ(read.content.font->name, "Arial Black");
  EXPECT_EQ(read.content.font->height, -19);
  deldib(&read.content.watermark);
}

TEST(SettingsFile, Width101RowsArePaddedTo304Bytes) {
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(101, 2);
  ASSERT_TRUE(WriteSettingsFile(folder.file("w.stx"), content).ok);
  deldib(&content.watermark);
  const size_t before_rows = 4 + 16 + 4 + 4 + 20 + 5 * 4 + 13 + 40;  // out_dir "Wasserzeichen"
  EXPECT_EQ(read_file(folder.file("w.stx")).size(), before_rows + 2 * 304 + 27);

  SettingsReadResult read = ReadSettingsFile(folder.file("w.stx"));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.watermark.RowBytes, 304);
  EXPECT_EQ(getpixel(&read.content.watermark, 100, 1), 100u | 1u << 8 | 7u << 16);
  deldib(&read.content.watermark);
}

TEST(SettingsFile, ProgressRisesOverTheRowsAndEndsAtZero) {
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(2, 3);
  std::vector<int> sent;
  ASSERT_TRUE(WriteSettingsFile(folder.file("p.stx"), content, [&](int p) { sent.push_back(p); }).ok);
  deldib(&content.watermark);
  EXPECT_EQ(sent, (std::vector<int>{0, 0, 50, 100, 0}));

  sent.clear();
  SettingsReadResult read = ReadSettingsFile(folder.file("p.stx"), [&](int p) { sent.push_back(p); });
  ASSERT_TRUE(read.ok());
  deldib(&read.content.watermark);
  EXPECT_EQ(sent, (std::vector<int>{0, 0, 50, 100, 0}));
}

TEST(SettingsFile, PictureOneRowHighReportsHundred) {
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(4, 1);
  std::vector<int> sent;
  ASSERT_TRUE(WriteSettingsFile(folder.file("p.stx"), content, [&](int p) { sent.push_back(p); }).ok);
  deldib(&content.watermark);
  EXPECT_EQ(sent, (std::vector<int>{0, 100, 0}));
}
