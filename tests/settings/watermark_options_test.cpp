// SPDX-License-Identifier: GPL-3.0-or-later
// Where the watermark options are kept: the settings file's option block
// after the font record, the form-state store's "Erweitert" section, and
// the job made from a settings file. With every option off both stores are
// exactly what they were without the options.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "option_fields.h"
#include "settings/form_state.h"
#include "settings/settings_file.h"
#include "settings_test_support.h"

using namespace settings_test;

namespace {

WatermarkOptions some_options() {
  WatermarkOptions options;
  options.picture.keep_alpha = true;
  options.picture.relative = RelativeTo::kShorterSide;
  options.picture.relative_percent = 12.5;
  options.picture.angle = -30;
  options.picture.tile = {true, 40, 10, true};
  options.text.relative = RelativeTo::kImageHeight;
  options.text.outline = true;
  options.text.outline_width = 3;
  options.text.outline_color = 0x00FF00;
  options.text.shadow = true;
  options.text.shadow_dx = -4;
  options.text.shadow_transparency = 20;
  options.text.variables = true;
  return options;
}

// Every option of the table, so an option added later is compared too.
void expect_same_options(const WatermarkOptions& a, const WatermarkOptions& b) {
  for (const OptionField& field : OptionFields())
    EXPECT_EQ(EncodeOptionValue(field, a), EncodeOptionValue(field, b)) << field.key;
}

std::vector<uint8_t> written(const SettingsFileContent& content) {
  ScratchFolder folder;
  EXPECT_TRUE(WriteSettingsFile(folder.file("w.stx"), content).ok);
  return read_file(folder.file("w.stx"));
}

SettingsReadResult read_bytes(const std::vector<uint8_t>& bytes) {
  ScratchFolder folder;
  write_file(folder.file("o.stx"), bytes);
  return ReadSettingsFile(folder.file("o.stx"));
}

// Block header: tag, version 1, fields length.
Bytes& block_header(Bytes& b, uint32_t fields_length) {
  return b.text("ERWT").u8(1).u8(0).i32(int32_t(fields_length));
}

Bytes& field(Bytes& b, uint16_t tag, const std::vector<uint8_t>& value) {
  b.u8(uint8_t(tag)).u8(uint8_t(tag >> 8)).i32(int32_t(value.size()));
  for (uint8_t v : value) b.u8(v);
  return b;
}

std::vector<uint8_t> with_tail(const std::vector<uint8_t>& file, const Bytes& tail) {
  std::vector<uint8_t> bytes = file;
  bytes.insert(bytes.end(), tail.bytes().begin(), tail.bytes().end());
  return bytes;
}

}  // namespace

TEST(OptionBlock, AllOffWritesNoBlock) {
  SettingsFileContent content = content_with_picture(2, 2);
  const std::vector<uint8_t> plain = written(content);
  content.options.text.relative_percent = 9;  // a value whose switch is off
  EXPECT_EQ(written(content), plain);
  const std::string tag = "ERWT";
  EXPECT_EQ(std::search(plain.begin(), plain.end(), tag.begin(), tag.end()), plain.end());
  deldib(&content.watermark);
}

TEST(OptionBlock, RoundTripKeepsEveryOption) {
  SettingsFileContent content = content_with_picture(2, 2);
  content.options = some_options();
  SettingsReadResult read = read_bytes(written(content));
  ASSERT_TRUE(read.ok()) << read.message;
  expect_same_options(read.content.options, content.options);
  EXPECT_TRUE(read.content.font.has_value());
  deldib(&read.content.watermark);
  deldib(&content.watermark);
}

TEST(OptionBlock, FollowsTheFontRecordWhichIsWrittenEvenWithoutAFont) {
  SettingsFileContent content = content_with_picture(2, 2);
  content.font.reset();
  const size_t without_font = written(content).size();
  content.options.text.variables = true;
  const std::vector<uint8_t> bytes = written(content);
  // The start font "Arial Black" (16 + 11 bytes), then the block's tag.
  const auto at = [&](size_t offset, size_t size) {
    return std::string(bytes.begin() + long(without_font + offset),
                       bytes.begin() + long(without_font + offset + size));
  };
  ASSERT_GT(bytes.size(), without_font + 27 + 10);
  EXPECT_EQ(at(6, 11), "Arial Black");
  EXPECT_EQ(at(27, 4), "ERWT");
  SettingsReadResult read = read_bytes(bytes);
  ASSERT_TRUE(read.ok());
  EXPECT_TRUE(read.content.options.text.variables);
  deldib(&read.content.watermark);
  deldib(&content.watermark);
}

TEST(OptionBlock, UnknownFieldsAndLaterVersionsAreSkipped) {
  SettingsFileContent content = content_with_picture(2, 2);
  const std::vector<uint8_t> plain = written(content);
  Bytes tail;
  tail.text("ERWT").u8(7).u8(0).i32(6 + 20 + 6 + 1);
  field(tail, 0x7777, std::vector<uint8_t>(20, 0xEE));
  field(tail, 0x0214, {1});  // TextVariables
  tail.text("whatever follows the block");
  SettingsReadResult read = read_bytes(with_tail(plain, tail));
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_TRUE(read.content.options.text.variables);
  EXPECT_FALSE(read.content.options.picture.any());
  deldib(&read.content.watermark);
  deldib(&content.watermark);
}

TEST(OptionBlock, DamagedBlockIsADamagedFile) {
  SettingsFileContent content = content_with_picture(2, 2);
  const std::vector<uint8_t> plain = written(content);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<uint8_t> nan_bytes(8);
  std::memcpy(nan_bytes.data(), &nan, 8);
  std::vector<std::pair<const char*, Bytes>> damaged(6);
  damaged[0].first = "cut inside the header";
  damaged[0].second.text("ERWT").u8(1);
  damaged[1].first = "length past the end";
  block_header(damaged[1].second, 100);
  damaged[2].first = "field past the block";
  field(block_header(damaged[2].second, 7), 0x0214, {1, 1});
  damaged[3].first = "known field of the wrong size";
  field(block_header(damaged[3].second, 8), 0x0214, {1, 1});
  damaged[4].first = "angle not a number";
  field(block_header(damaged[4].second, 14), 0x0205, nan_bytes);
  damaged[5].first = "version 0";
  damaged[5].second.text("ERWT").u8(0).u8(0).i32(0);
  for (const auto& [what, tail] : damaged) {
    SettingsReadResult read = read_bytes(with_tail(plain, tail));
    EXPECT_EQ(read.failure, SettingsReadFailure::kDamaged) << what;
    EXPECT_NE(read.message.find("ist beschädigt und wurde nicht geladen."), std::string::npos) << what;
    EXPECT_EQ(read.content.watermark.Bits, nullptr) << what;
  }
  deldib(&content.watermark);
}

// Gaps in percent of the mark came after files with tiling existed: they
// are written only when set (a field of 7 bytes each), so every other job
// keeps its bytes and its gaps' meaning; set, they come back from both
// stores.
TEST(OptionBlock, GapsInPercentOfTheMarkAreKeptOnlyWhenSet) {
  SettingsFileContent content = content_with_picture(2, 2);
  content.options = some_options();
  const std::vector<uint8_t> before = written(content);
  StoredFormValues values;
  values.options = content.options;
  ProfileFile profile;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  EXPECT_EQ(profile.Text().find("GapInMarkPercent"), std::string::npos);

  content.options.picture.tile.gap_in_mark_percent = true;
  content.options.text.tile = TileOptions{true, 50, 50, false, true};
  const std::vector<uint8_t> after = written(content);
  EXPECT_EQ(after.size(), before.size() + 2 * 7);
  SettingsReadResult read = read_bytes(after);
  ASSERT_TRUE(read.ok()) << read.message;
  expect_same_options(read.content.options, content.options);

  values.options = content.options;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  StoredFormValues back;
  RestoreFormValues(ProfileFile::FromText(profile.Text()), back);
  EXPECT_TRUE(back.options.picture.tile.gap_in_mark_percent);
  EXPECT_TRUE(back.options.text.tile.gap_in_mark_percent);
  deldib(&read.content.watermark);
  deldib(&content.watermark);
}

// Keeping a JPEG's untouched blocks is an export option kept with the
// watermark options: written only when set, it comes back from both stores
// and reaches the job.
TEST(OptionBlock, KeptJpegBlocksAreStoredOnlyWhenSetAndReachTheJob) {
  SettingsFileContent content = content_with_picture(2, 2);
  content.options = some_options();
  const std::vector<uint8_t> before = written(content);
  content.options.output.keep_jpeg_blocks = true;
  const std::vector<uint8_t> after = written(content);
  EXPECT_EQ(after.size(), before.size() + 7);
  SettingsReadResult read = read_bytes(after);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_TRUE(read.content.options.output.keep_jpeg_blocks);
  EXPECT_TRUE(JobFromSettings(read.content).output.keep_jpeg_blocks);

  StoredFormValues values;
  values.options.output.keep_jpeg_blocks = true;
  ProfileFile profile;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  EXPECT_NE(profile.Text().find("KeepJpegBlocks=True"), std::string::npos);
  StoredFormValues back;
  RestoreFormValues(ProfileFile::FromText(profile.Text()), back);
  EXPECT_TRUE(back.options.output.keep_jpeg_blocks);
  deldib(&read.content.watermark);
  deldib(&content.watermark);
}

TEST(OptionBlock, JobCarriesTheOptions) {
  SettingsFileContent content = content_with_picture(2, 2);
  content.options = some_options();
  const WatermarkJob job = JobFromSettings(content);
  EXPECT_TRUE(job.text.options.variables);
  EXPECT_EQ(job.text.options.outline_width, 3);
  EXPECT_EQ(job.picture.options.angle, -30);
  EXPECT_TRUE(job.picture.options.tile.enabled);
  deldib(&content.watermark);
}

TEST(OptionSection, AllOffWritesNothingAndRemovesAnOldSection) {
  StoredFormValues values;
  ProfileFile plain;
  SaveFormState(plain, FormPlacement{}, ScreenMetrics{}, values);
  EXPECT_EQ(plain.Text().find("Erweitert"), std::string::npos);

  values.options.text.variables = true;
  ProfileFile profile;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  values.options.text.variables = false;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  // Only the blank line that parted the sections stays, as when the memo's
  // section is erased.
  EXPECT_EQ(profile.Text(), plain.Text() + "\n");
}

TEST(OptionSection, OptionsLiveInTheirOwnSectionAndComeBack) {
  StoredFormValues values;
  values.options = some_options();
  ProfileFile profile;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  const std::string text = profile.Text();
  const size_t section = text.find("[Erweitert]");
  ASSERT_NE(section, std::string::npos);
  EXPECT_GT(text.find("PictureRelative=ShorterSide"), section);
  EXPECT_GT(text.find("PictureRelativePercent=12.5"), section);
  EXPECT_GT(text.find("TextOutlineColor=65280"), section);
  EXPECT_GT(text.find("TextVariables=True"), section);

  StoredFormValues back;
  RestoreFormValues(ProfileFile::FromText(text), back);
  expect_same_options(back.options, values.options);
}

TEST(OptionSection, UnreadableValuesKeepTheOption) {
  StoredFormValues values;
  values.options.text.angle = 15;
  RestoreFormValues(ProfileFile::FromText("[Erweitert]\nTextAngle=schief\nTextVariables=ja\n"
                                          "TextShadowBlur=-3\nPictureRelative=ImageHeight\n"),
                    values);
  EXPECT_EQ(values.options.text.angle, 15);
  EXPECT_FALSE(values.options.text.variables);
  EXPECT_EQ(values.options.text.shadow_blur, 0);
  EXPECT_EQ(values.options.picture.relative, RelativeTo::kNone);
}
