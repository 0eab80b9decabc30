// Every damaged ILBM in tests/data/ilbm/bad, named after its defect, loads
// as a record without pixels and without a crash; the good ones load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> files_in(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::path(STEMPORA_TEST_DATA) / "ilbm" / folder, ec))
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

std::string path_of(const std::string& folder, const std::string& name) {
  return (fs::path(STEMPORA_TEST_DATA) / "ilbm" / folder / name).string();
}

class IlbmDamaged : public ::testing::TestWithParam<std::string> {};

TEST_P(IlbmDamaged, LoadsAsRecordWithoutPixels) {
  TDibImage dib = OpenDib(path_of("bad", GetParam()).c_str(), 0, nullptr);
  EXPECT_EQ(dib.Bits, nullptr);
  EXPECT_EQ(dib.Storage, nullptr);
  deldib(&dib);
}

INSTANTIATE_TEST_SUITE_P(IlbmBadFiles, IlbmDamaged, ::testing::ValuesIn(files_in("bad")), test_name);

class IlbmSeed : public ::testing::TestWithParam<std::string> {};

TEST_P(IlbmSeed, Loads) {
  TDibImage dib = OpenDib(path_of("good", GetParam()).c_str(), 0, nullptr);
  EXPECT_NE(dib.Bits, nullptr);
  deldib(&dib);
}

INSTANTIATE_TEST_SUITE_P(IlbmGoodFiles, IlbmSeed, ::testing::ValuesIn(files_in("good")), test_name);

TEST(IlbmDamagedFolder, HoldsTheKnownDefects) { EXPECT_GE(files_in("bad").size(), 20u); }

}  // namespace
