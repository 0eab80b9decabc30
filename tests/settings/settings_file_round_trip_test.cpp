// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "settings/settings_file.h"
#include "settings_test_support.h"

using namespace settings_test;

namespace {

// A hand-laid-out file up to the picture, with the given radio bytes and
// numbers; margins and memo as given.
Bytes job_prefix(double text_margin, double picture_margin, const std::string& memo, const uint8_t radio[4],
                 const int32_t numbers[5]) {
  Bytes b;
  b.i32(0).f64(text_margin).f64(picture_margin).string(memo);
  for (int i = 0; i < 4; ++i) b.u8(radio[i]);
  for (int i = 0; i < 5; ++i) b.i32(numbers[i]);
  b.string("W").string("").string("").string("").string("");
  picture_header(b, 1, 1).zeros(4);
  return b;
}

SettingsReadResult read_bytes_as_file(const std::vector<uint8_t>& bytes) {
  ScratchFolder folder;
  write_file(folder.file("j.stx"), bytes);
  return ReadSettingsFile(folder.file("j.stx"));
}

}  // namespace

TEST(SettingsFile, RoundTripRestoresEveryField) {
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(5, 3);
  content.sources = {"/fotos/b.jpg", "/fotos/Ärger.tga", "/fotos/b.jpg"};
  content.text_margin = -7;
  content.picture_margin = 123456;
  content.text = "Erste Zeile\r\n\r\nDritte €\r\n\r\n";
  content.text_on = false;
  content.text_off = true;
  content.picture_on = true;
  content.picture_off = false;
  content.text_transparency = 0;
  content.picture_transparency = 100;
  content.text_position = 8;
  content.picture_position = 10;
  content.jpeg_quality = 1;
  content.out_dir = "Neu\\Klein\\";
  content.sources_dialog_dir = "/a";
  content.picture_dialog_dir = "/b";
  content.open_settings_dialog_dir = "/c";
  content.save_settings_dialog_dir = "/d";
  TextFont font;
  font.name = "DejaVu Sans";
  font.charset = 2;
  font.color = 0x123456;
  font.pitch = kPitchVariable;
  font.pixels_per_inch = 72;
  font.size = 30;
  font.height = -30;
  font.style = kFontUnderline;
  content.font = font;

  ASSERT_TRUE(WriteSettingsFile(folder.file("r.stx"), content).ok);
  SettingsReadResult read = ReadSettingsFile(folder.file("r.stx"));
  ASSERT_TRUE(read.ok()) << read.message;
  const SettingsFileContent& back = read.content;
  EXPECT_EQ(back.sources, content.sources);
  EXPECT_EQ(back.text_margin, -7);
  EXPECT_EQ(back.picture_margin, 123456);
  EXPECT_EQ(back.text, content.text);
  EXPECT_FALSE(back.text_on);
  EXPECT_TRUE(back.text_off);
  EXPECT_TRUE(back.picture_on);
  EXPECT_FALSE(back.picture_off);
  EXPECT_EQ(back.text_transparency, 0);
  EXPECT_EQ(back.picture_transparency, 100);
  EXPECT_EQ(back.text_position, 8);
  EXPECT_EQ(back.picture_position, 10);
  EXPECT_EQ(back.jpeg_quality, 1);
  EXPECT_EQ(back.out_dir, "Neu\\Klein\\");
  EXPECT_EQ(back.sources_dialog_dir, "/a");
  EXPECT_EQ(back.picture_dialog_dir, "/b");
  EXPECT_EQ(back.open_settings_dialog_dir, "/c");
  EXPECT_EQ(back.save_settings_dialog_dir, "/d");
  ASSERT_TRUE(back.font.has_value());
  EXPECT_EQ(back.font->name, font.name);
  EXPECT_EQ(back.font->charset, font.charset);
  EXPECT_EQ(back.font->color, font.color);
  EXPECT_EQ(back.font->pitch, font.pitch);
  EXPECT_EQ(back.font->pixels_per_inch, font.pixels_per_inch);
  EXPECT_EQ(back.font->size, font.size);
  EXPECT_EQ(back.font->height, font.height);
  EXPECT_EQ(back.font->style, font.style);
  ASSERT_NE(back.watermark.Bits, nullptr);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(getpixel(&back.watermark, x, y), getpixel(&content.watermark, x, y));
  }
  deldib(&content.watermark);
  deldib(&read.content.watermark);
}

TEST(SettingsFile, FileEndingAfterThePictureRowsHasNoFont) {
  const uint8_t radio[4] = {1, 0, 0, 1};
  const int32_t numbers[5] = {75, 50, 4, 9, 75};
  SettingsReadResult read = read_bytes_as_file(job_prefix(20, 20, "", radio, numbers).bytes());
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_FALSE(read.content.font.has_value());
  deldib(&read.content.watermark);
}

TEST(SettingsFile, ValuesPassThroughTheControlsLimits) {
  const uint8_t radio[4] = {1, 0, 0, 1};
  const int32_t numbers[5] = {-5, 200, 9, 11, 150};
  SettingsReadResult read = read_bytes_as_file(job_prefix(12.5, 13.5, "", radio, numbers).bytes());
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.text_margin, 12);  // halves to even
  EXPECT_EQ(read.content.picture_margin, 14);
  EXPECT_EQ(read.content.text_transparency, 0);
  EXPECT_EQ(read.content.picture_transparency, 100);
  EXPECT_EQ(read.content.text_position, -1);  // 9 is past the text list
  EXPECT_EQ(read.content.picture_position, -1);
  EXPECT_EQ(read.content.jpeg_quality, 100);
  deldib(&read.content.watermark);

  const int32_t low[5] = {0, 0, -1, 10, 0};
  read = read_bytes_as_file(job_prefix(-2.5, 0.49, "", radio, low).bytes());
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.text_margin, -2);
  EXPECT_EQ(read.content.picture_margin, 0);
  EXPECT_EQ(read.content.text_position, -1);
  EXPECT_EQ(read.content.picture_position, 10);
  EXPECT_EQ(read.content.jpeg_quality, 1);
  deldib(&read.content.watermark);
}

TEST(SettingsFile, RadioBytesAssignedInOrderMayLeaveBothOff) {
  const int32_t numbers[5] = {75, 50, 4, 9, 75};
  struct Case {
    uint8_t radio[4];
    bool text_on, text_off, picture_on, picture_off;
  } cases[] = {
      {{0, 0, 0, 0}, false, false, false, false},
      {{1, 1, 1, 1}, false, true, false, true},  // the second selection deselects the first
      {{2, 0, 0, 7}, true, false, false, true},  // any non-zero byte selects
  };
  for (const Case& c : cases) {
    SettingsReadResult read = read_bytes_as_file(job_prefix(20, 20, "", c.radio, numbers).bytes());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.content.text_on, c.text_on);
    EXPECT_EQ(read.content.text_off, c.text_off);
    EXPECT_EQ(read.content.picture_on, c.picture_on);
    EXPECT_EQ(read.content.picture_off, c.picture_off);
    deldib(&read.content.watermark);
  }
}

TEST(SettingsFile, TextWithEmptyLinesAndMixedBreaksIsWrittenBackByteForByte) {
  const uint8_t radio[4] = {1, 0, 0, 1};
  const int32_t numbers[5] = {75, 50, 4, 9, 75};
  for (const std::string text :
       {"a\r\n\r\n", "\r\n\r\na", "a\r\n\r\n\r\nb", "a\nb\n\n", "a\r\nb\nc\rd\r\n\r\n"}) {
    const Bytes stored = job_prefix(20, 20, text, radio, numbers);
    SettingsReadResult read = read_bytes_as_file(stored.bytes());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.content.text, text);
    ScratchFolder folder;
    read.content.font.reset();  // the stored job has none
    ASSERT_TRUE(WriteSettingsFile(folder.file("back.stx"), read.content).ok);
    EXPECT_EQ(read_file(folder.file("back.stx")), stored.bytes()) << text;
    deldib(&read.content.watermark);
  }
}

Bytes job_with_sources(const std::vector<std::string>& sources, const std::string& dialog_dir = "") {
  Bytes b;
  b.i32(int32_t(sources.size()));
  for (const std::string& source : sources) b.string(source);
  b.f64(20).f64(20).string("").u8(1).u8(0).u8(0).u8(1);
  b.i32(75).i32(50).i32(4).i32(9).i32(75);
  b.string("W").string(dialog_dir).string("").string("").string("");
  picture_header(b, 1, 1).zeros(4);
  return b;
}

TEST(SettingsFile, PathsAreKeptAsStoredAndWrittenBackByteForByte) {
  ScratchFolder folder;
  const std::vector<std::string> stored = {"bilder/x.bmp", "/abs/y.tga", "C:\\Fotos\\x.jpg",
                                           "..\\oben.bmp", "./da.bmp",   ""};
  const Bytes bytes = job_with_sources(stored, "D:\\Quellen");
  write_file(folder.file("rel.stx"), bytes.bytes());
  SettingsReadResult read = ReadSettingsFile(folder.file("rel.stx"));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.sources, stored);
  EXPECT_EQ(read.content.sources_dialog_dir, "D:\\Quellen");
  EXPECT_EQ(read.content.sources_folder, folder.path().string());
  ASSERT_TRUE(WriteSettingsFile(folder.file("wieder.stx"), read.content).ok);
  EXPECT_EQ(read_file(folder.file("wieder.stx")), bytes.bytes());
  // The run opens a relative source from the settings file's folder.
  EXPECT_EQ(JobFromSettings(read.content).sources_folder, folder.path().string());
  deldib(&read.content.watermark);
}

TEST(SettingsFile, NonUtf8NameOfAnExistingFileIsKeptAsItIs) {
  ScratchFolder folder;
  const std::string latin1 = "b\xE4r.bmp";  // "bär.bmp" in Latin-1
  write_file(folder.file(latin1), {1});
  write_file(folder.file("b\xC3\xA4r.bmp"), {2});  // its UTF-8 twin, not to be taken instead
  const std::vector<std::string> stored = {folder.file(latin1), latin1,
                                           folder.file("\xF6"
                                                       "de.bmp")};
  write_file(folder.file("job.stx"), job_with_sources(stored).bytes());
  SettingsReadResult read = ReadSettingsFile(folder.file("job.stx"));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.sources,
            (std::vector<std::string>{folder.file(latin1), latin1, folder.file("\xC3\xB6") + "de.bmp"}));
  deldib(&read.content.watermark);
}

TEST(SettingsFile, ReadOnlyFileOpens) {
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(1, 1);
  ASSERT_TRUE(WriteSettingsFile(folder.file("ro.stx"), content).ok);
  deldib(&content.watermark);
  fs::permissions(folder.file("ro.stx"), fs::perms::owner_read);
  SettingsReadResult read = ReadSettingsFile(folder.file("ro.stx"));
  EXPECT_TRUE(read.ok());
  deldib(&read.content.watermark);
}

TEST(SettingsFile, JobTakesEveryValueFromTheContent) {
  SettingsFileContent content;
  content.sources = {"/a.bmp"};
  content.text = "eins\r\nzwei\r\n\r\n";
  content.text_margin = 5;
  content.picture_margin = 1e300;
  content.text_on = false;
  content.picture_on = true;
  content.text_position = 2;
  content.picture_position = -1;
  content.text_transparency = 10;
  content.picture_transparency = 90;
  content.jpeg_quality = 42;
  content.out_dir = "X";
  const WatermarkJob job = JobFromSettings(content);
  EXPECT_EQ(job.sources, content.sources);
  EXPECT_EQ(job.text.text, content.text);
  EXPECT_EQ(job.text.margin, 5);
  EXPECT_EQ(job.picture.margin, int64_t(1e12));
  EXPECT_FALSE(job.add_text);
  EXPECT_TRUE(job.add_picture);
  EXPECT_EQ(job.text.position, 2);
  EXPECT_EQ(job.picture.position, -1);
  EXPECT_EQ(job.text.transparency, 10);
  EXPECT_EQ(job.picture.transparency, 90);
  EXPECT_EQ(job.jpeg_quality, 42);
  EXPECT_EQ(job.out_dir, "X");
  EXPECT_EQ(job.text.font.name, "Arial Black");  // no font stored: the start font
  EXPECT_EQ(job.watermark, &content.watermark);
}

TEST(SettingsFile, MarginPixelsTruncatesAndStaysInRange) {
  EXPECT_EQ(MarginPixels(20.9), 20);
  EXPECT_EQ(MarginPixels(-20.9), -20);
  EXPECT_EQ(MarginPixels(-1e300), -int64_t(1e12));
  EXPECT_EQ(MarginPixels(std::numeric_limits<double>::infinity()), int64_t(1e12));
}
