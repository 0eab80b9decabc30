// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/data_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace testsupport {

namespace fs = std::filesystem;

std::vector<std::string> data_files(const std::string& format, const std::string& folder,
                                    const std::string& extension) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::path(STEMPORA_TEST_DATA) / format / folder, ec)) {
    if (!entry.is_regular_file()) continue;
    if (!extension.empty() && entry.path().extension() != extension) continue;
    files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string data_file_test_name(const testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

}  // namespace testsupport
