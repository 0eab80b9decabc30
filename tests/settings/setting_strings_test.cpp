// SPDX-License-Identifier: GPL-3.0-or-later
#include "setting_strings.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "settings_test_support.h"
#include "text_encoding.h"

using namespace settings_test;

namespace {

std::vector<uint8_t> written(const std::string& text) {
  ScratchFolder folder;
  const std::string path = folder.file("s");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  SettingsOutput out(file);
  WriteSettingString(out, text);
  std::fclose(file);
  return read_file(path);
}

// Reads one setting string from the bytes; false when the reader refused.
bool read_back(const std::vector<uint8_t>& bytes, std::string& text, uint64_t* left = nullptr) {
  ScratchFolder folder;
  const std::string path = folder.file("s");
  write_file(path, bytes);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  SettingsInput in(file, bytes.size());
  const bool ok = ReadSettingString(in, text);
  if (left) *left = in.remaining();
  std::fclose(file);
  return ok;
}

}  // namespace

TEST(SettingStrings, WritesLengthThenBytesWithoutTerminator) {
  EXPECT_EQ(written(""), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(written("Ab\xC3\xBC"), (std::vector<uint8_t>{4, 0, 0, 0, 'A', 'b', 0xC3, 0xBC}));
}

TEST(SettingStrings, ReadsUtf8AsItIsAndStopsAfterTheString) {
  std::string text;
  uint64_t left = 0;
  ASSERT_TRUE(read_back({3, 0, 0, 0, 'x', 0xC3, 0xA4, 'T'}, text, &left));
  EXPECT_EQ(text, "x\xC3\xA4");
  EXPECT_EQ(left, 1u);
}

TEST(SettingStrings, ReadsWindows1252WhenNotUtf8) {
  std::string text;
  ASSERT_TRUE(read_back({7, 0, 0, 0, 'M', 0xFC, 'l', 'l', 'e', 'r', 0x80}, text));
  EXPECT_EQ(text, "M\xC3\xBCller\xE2\x82\xAC");  // "Müller€"
}

TEST(SettingStrings, RefusesNegativeOversizedAndTruncatedLengths) {
  std::string text = "unchanged";
  EXPECT_FALSE(read_back({0xFF, 0xFF, 0xFF, 0xFF}, text));
  EXPECT_FALSE(read_back({0xFF, 0xFF, 0xFF, 0x7F, 'a'}, text));
  EXPECT_FALSE(read_back({3, 0, 0, 0, 'a', 'b'}, text));
  EXPECT_FALSE(read_back({3, 0, 0}, text));
  EXPECT_EQ(text, "unchanged");
}

TEST(SettingStrings, Utf8CheckRejectsOverlongSurrogatesAndCutSequences) {
  EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

TEST(SettingStrings, CutKeepsWholeCharacters) {
  EXPECT_EQ(CutUtf8("a\xC3\xA4", 2), "a");
  EXPECT_EQ(CutUtf8("a\xC3\xA4", 3), "a\xC3\xA4");
}
