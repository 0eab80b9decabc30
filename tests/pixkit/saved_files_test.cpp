// SPDX-License-Identifier: GPL-3.0-or-later
// The saved files under tests/data/<format>: every damaged one, named after
// its defect, opens as a record without pixels and without a crash; every
// seed of the formats without a test of their own loads. (PCX and TGA check
// their damaged files next to their decoders, JPEG its seeds' sizes.)
#include <gtest/gtest.h>

#include <string>

#include "pixkit/pixkit.h"
#include "support/data_files.h"
#include "support/owned_dib.h"

namespace {

using testsupport::data_file_test_name;
using testsupport::data_files;

class DamagedFile : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedFile, OpensAsRecordWithoutPixels) {
  testsupport::OwnedDib loaded(OpenDib(GetParam().c_str(), 0, nullptr));
  EXPECT_EQ(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.dib.Storage, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Bmp, DamagedFile, ::testing::ValuesIn(data_files("bmp", "bad")),
                         data_file_test_name);
INSTANTIATE_TEST_SUITE_P(Gif, DamagedFile, ::testing::ValuesIn(data_files("gif", "bad")),
                         data_file_test_name);
INSTANTIATE_TEST_SUITE_P(Ilbm, DamagedFile, ::testing::ValuesIn(data_files("ilbm", "bad")),
                         data_file_test_name);
INSTANTIATE_TEST_SUITE_P(Jp2, DamagedFile, ::testing::ValuesIn(data_files("jp2", "bad")),
                         data_file_test_name);
INSTANTIATE_TEST_SUITE_P(Jpeg, DamagedFile, ::testing::ValuesIn(data_files("jpeg", "bad", ".jpg")),
                         data_file_test_name);
INSTANTIATE_TEST_SUITE_P(Png, DamagedFile, ::testing::ValuesIn(data_files("png", "bad")),
                         data_file_test_name);
INSTANTIATE_TEST_SUITE_P(Tiff, DamagedFile, ::testing::ValuesIn(data_files("tiff", "bad")),
                         data_file_test_name);

class SeedFile : public ::testing::TestWithParam<std::string> {};

TEST_P(SeedFile, Loads) {
  testsupport::OwnedDib loaded(OpenDib(GetParam().c_str(), 0, nullptr));
  EXPECT_NE(loaded.dib.Bits, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Bmp, SeedFile, ::testing::ValuesIn(data_files("bmp", "good")), data_file_test_name);
INSTANTIATE_TEST_SUITE_P(Ilbm, SeedFile, ::testing::ValuesIn(data_files("ilbm", "good")),
                         data_file_test_name);

// A moved folder would otherwise turn the suites above silently empty.
TEST(SavedFiles, BmpAndIlbmHoldTheKnownDefects) {
  EXPECT_GE(data_files("bmp", "bad").size(), 20u);
  EXPECT_GE(data_files("ilbm", "bad").size(), 20u);
}

}  // namespace
