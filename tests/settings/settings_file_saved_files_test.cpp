// SPDX-License-Identifier: GPL-3.0-or-later
// The saved settings files under tests/data/stx (also the fuzz harness's
// seeds): each damaged one, named after its defect, is refused as damaged
// without handing out a picture; each good one reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/data_files.h"

namespace {

class SettingsDamagedFile : public testing::TestWithParam<std::string> {};

TEST_P(SettingsDamagedFile, IsRefusedAsDamagedWithoutPicture) {
  SettingsReadResult read = ReadSettingsFile(GetParam());
  EXPECT_EQ(read.failure, SettingsReadFailure::kDamaged);
  EXPECT_EQ(read.content.watermark.Bits, nullptr);
  if (read.ok()) deldib(&read.content.watermark);
}

INSTANTIATE_TEST_SUITE_P(Bad, SettingsDamagedFile, testing::ValuesIn(testsupport::data_files("stx", "bad")),
                         testsupport::data_file_test_name);

class SettingsSeedFile : public testing::TestWithParam<std::string> {};

TEST_P(SettingsSeedFile, ReadsWithItsPicture) {
  SettingsReadResult read = ReadSettingsFile(GetParam());
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_NE(read.content.watermark.Bits, nullptr);
  deldib(&read.content.watermark);
}

INSTANTIATE_TEST_SUITE_P(Good, SettingsSeedFile, testing::ValuesIn(testsupport::data_files("stx", "good")),
                         testsupport::data_file_test_name);

// Guards against a moved folder silently turning the suites above empty.
TEST(SettingsSavedFiles, HoldTheKnownDefects) {
  EXPECT_GE(testsupport::data_files("stx", "bad").size(), 4u);
  EXPECT_GE(testsupport::data_files("stx", "good").size(), 1u);
}

}  // namespace
