// SPDX-License-Identifier: GPL-3.0-or-later
// The export options in both stores: every field comes back from the
// settings file's option block and from the "Erweitert" section, texts
// with blanks and quotes included, and a job that sets one of them adds
// only that field.
#include <gtest/gtest.h>

#include "option_fields.h"
#include "settings/form_state.h"
#include "settings/settings_file.h"
#include "settings_test_support.h"

using namespace settings_test;

namespace {

ExportOptions every_export_choice() {
  ExportOptions output;
  output.size = {ExportSizeMode::kBox, 1600, 1280, 960, 25.5, 8.25, true};
  output.format = ExportFormat::kWebp;
  output.jpeg = {92, true, ChromaSubsampling::k422, true, true};
  output.png.compression = 9;
  output.webp = {70, true};
  output.avif = {40, 2};
  output.more_sources = true;
  output.target = ExportTarget::kTargetFolder;
  output.target_folder = " /home/anna/Web Export/ ";
  output.name_pattern = "\"Hochzeit\" Müller-{Nr:4} ";
  output.if_exists = IfOutputExists::kRename;
  output.metadata = MetadataPolicy::kWithoutGpsAndSerials;
  output.convert_to_srgb = true;
  output.max_file_size = 2000000;
  output.sharpen = ExportSharpen::kHigh;
  return output;
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

}  // namespace

TEST(ExportOptionStorage, EveryChoiceComesBackFromTheFileAndTheSection) {
  SettingsFileContent content = content_with_picture(2, 2);
  content.options.output = every_export_choice();
  SettingsReadResult read = read_bytes(written(content));
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_TRUE(read.content.options.output == content.options.output);
  EXPECT_TRUE(JobFromSettings(read.content).output == content.options.output);

  StoredFormValues values;
  values.options.output = every_export_choice();
  ProfileFile profile;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  const std::string text = profile.Text();
  const size_t section = text.find("[Erweitert]");
  ASSERT_NE(section, std::string::npos);
  EXPECT_GT(text.find("ExportFormat=Webp"), section);
  EXPECT_GT(text.find("ExportJpegChroma=422"), section);
  EXPECT_GT(text.find("ExportNamePattern=\"\"Hochzeit\" Müller-{Nr:4} \""), section);
  StoredFormValues back;
  RestoreFormValues(ProfileFile::FromText(text), back);
  EXPECT_TRUE(back.options.output == values.options.output);
  deldib(&read.content.watermark);
  deldib(&content.watermark);
}

TEST(ExportOptionStorage, OneChoiceAddsOnlyItsOwnField) {
  SettingsFileContent content = content_with_picture(2, 2);
  content.options.text.variables = true;  // so that both files have the block
  const std::vector<uint8_t> plain = written(content);
  content.options.output.name_pattern = "Web-{Nr}";
  const std::vector<uint8_t> named = written(content);
  // One field header (6 bytes) and the text, at the block's end.
  ASSERT_EQ(named.size(), plain.size() + 6 + 8);
  EXPECT_TRUE(std::equal(plain.end() - 100, plain.end(), named.end() - 114));

  StoredFormValues values;
  values.options.output.if_exists = IfOutputExists::kSkip;
  ProfileFile profile;
  SaveFormState(profile, FormPlacement{}, ScreenMetrics{}, values);
  const std::string text = profile.Text();
  const size_t key = text.find("\nExportIfExists=Skip");
  EXPECT_NE(key, std::string::npos);
  EXPECT_EQ(text.find("\nExport"), key) << text;
  EXPECT_EQ(text.find("\nExport", key + 1), std::string::npos) << text;
  deldib(&content.watermark);
}

TEST(ExportOptionStorage, DamagedTextFieldsAreRefusedAndUnknownChoicesReadAsDefault) {
  WatermarkOptions options;
  const OptionField* pattern = nullptr;
  const OptionField* format = nullptr;
  for (const OptionField& field : OptionFields()) {
    if (std::string(field.key) == "ExportNamePattern") pattern = &field;
    if (std::string(field.key) == "ExportFormat") format = &field;
  }
  ASSERT_TRUE(pattern && format);
  const std::vector<uint8_t> with_zero = {'a', 0, 'b'};
  EXPECT_FALSE(DecodeOptionValue(*pattern, with_zero, options));
  const std::vector<uint8_t> too_long(kMaxOptionTextBytes + 1, 'a');
  EXPECT_FALSE(DecodeOptionValue(*pattern, too_long, options));
  const std::vector<uint8_t> unknown = {200};
  EXPECT_TRUE(DecodeOptionValue(*format, unknown, options));
  EXPECT_EQ(options.output.format, ExportFormat::kSameAsSource);
}
