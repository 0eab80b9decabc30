// Every damaged file under tests/data/bmp/bad must give a record without
// pixels, and every seed under tests/data/bmp/good must load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> files_in(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::path(STEMPORA_TEST_DATA) / "bmp" / folder, ec))
    if (entry.is_regular_file()) out.push_back(entry.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class BmpDamagedFile : public testing::TestWithParam<std::string> {};
class BmpSeedFile : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(BmpDamagedFile, GivesNoPixels) {
  TDibImage dib = OpenDib(GetParam().c_str(), 0, nullptr);
  EXPECT_EQ(dib.Bits, nullptr);
  EXPECT_EQ(dib.Storage, nullptr);
  deldib(&dib);
}

TEST_P(BmpSeedFile, Loads) {
  TDibImage dib = OpenDib(GetParam().c_str(), 0, nullptr);
  EXPECT_NE(dib.Bits, nullptr);
  deldib(&dib);
}

INSTANTIATE_TEST_SUITE_P(Bad, BmpDamagedFile, testing::ValuesIn(files_in("bad")), test_name);
INSTANTIATE_TEST_SUITE_P(Good, BmpSeedFile, testing::ValuesIn(files_in("good")), test_name);

TEST(BmpDamagedFileSet, IsNotEmpty) { EXPECT_GE(files_in("bad").size(), 20u); }
