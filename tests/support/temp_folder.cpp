// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_folder.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

namespace testsupport {

TempDir::TempDir(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDir::file_in_new_folders(const std::string& name) const {
  const fs::path path = path_ / name;
  fs::create_directories(path.parent_path());
  return path.string();
}

}  // namespace testsupport
