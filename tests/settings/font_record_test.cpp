// SPDX-License-Identifier: GPL-3.0-or-later
#include "font_record.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "settings_test_support.h"

using namespace settings_test;

namespace {

std::vector<uint8_t> written(const TextFont& font) {
  ScratchFolder folder;
  const std::string path = folder.file("f");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  SettingsOutput out(file);
  WriteSettingFont(out, font);
  std::fclose(file);
  return read_file(path);
}

bool read_back(const std::vector<uint8_t>& bytes, TextFont& font) {
  ScratchFolder folder;
  const std::string path = folder.file("f");
  write_file(path, bytes);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  SettingsInput in(file, bytes.size());
  const bool ok = ReadSettingFont(in, font);
  std::fclose(file);
  return ok;
}

}  // namespace

TEST(FontRecord, IsSixteenBytesPlusTheName) {
  TextFont font;
  font.name = "Arial";
  font.charset = 0xEE;
  font.color = 0x00FF0080;
  font.pitch = kPitchFixed;
  font.pixels_per_inch = 120;
  font.size = 10;
  font.style = kFontBold | kFontStrikeOut;
  const std::vector<uint8_t> expected = {0xEE, 0x80, 0x00, 0xFF, 0x00, 5,  'A', 'r', 'i', 'a', 'l',
                                         2,    120,  0,    0,    0,    10, 0,   0,   0,   9};
  EXPECT_EQ(written(font), expected);
}

TEST(FontRecord, StartFontIsTwentySevenBytes) { EXPECT_EQ(written(TextFont{}).size(), 16u + 11u); }

TEST(FontRecord, ReadsEveryFieldAndDerivesHeightFromSizeAndResolution) {
  TextFont font;
  ASSERT_TRUE(read_back({1, 0x08, 0, 0, 0x80, 3, 'S', 'y', 'm', 1, 96, 0, 0, 0, 14, 0, 0, 0, 6}, font));
  EXPECT_EQ(font.charset, 1);
  EXPECT_EQ(font.color, int32_t(0x80000008u));
  EXPECT_EQ(font.name, "Sym");
  EXPECT_EQ(font.pitch, kPitchVariable);
  EXPECT_EQ(font.pixels_per_inch, 96);
  EXPECT_EQ(font.size, 14);
  EXPECT_EQ(font.style, kFontItalic | kFontUnderline);
  EXPECT_EQ(font.height, -19);
}

TEST(FontRecord, HeightRoundsHalvesAwayFromZero) {
  EXPECT_EQ(FontHeightFromSize(14, 96), -19);   // 18.67
  EXPECT_EQ(FontHeightFromSize(9, 96), -12);    // 12.0
  EXPECT_EQ(FontHeightFromSize(3, 60), -3);     // 2.5
  EXPECT_EQ(FontHeightFromSize(-3, 60), 3);     // -2.5
  EXPECT_EQ(FontHeightFromSize(10, 120), -17);  // 16.67
}

TEST(FontRecord, LongNameIsCutToTheOneByteLength) {
  TextFont font;
  font.name = std::string(254, 'a') + "\xC3\xA4";  // 256 bytes, the last character two bytes
  const std::vector<uint8_t> bytes = written(font);
  EXPECT_EQ(bytes[5], 254);
  EXPECT_EQ(bytes.size(), 16u + 254u);
}

TEST(FontRecord, RecordEndingEarlyIsRefusedAndLeavesTheFont) {
  const std::vector<uint8_t> whole = {0, 0, 0, 0, 0, 1, 'X', 0, 96, 0, 0, 0, 14, 0, 0, 0, 0};
  for (size_t length = 0; length < whole.size(); ++length) {
    TextFont font;
    EXPECT_FALSE(read_back(std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)), font))
        << length;
    EXPECT_EQ(font.name, "Arial Black");
  }
}
