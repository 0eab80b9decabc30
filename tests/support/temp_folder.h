// SPDX-License-Identifier: GPL-3.0-or-later
// A scratch folder for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

namespace fs = std::filesystem;

class TempDir {
 public:
  // The folder is made below the system's temporary folder with a name
  // starting with prefix, so leftovers of a crashed test show whose they are.
  explicit TempDir(const std::string& prefix = "pixkit-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  // The path of name inside the folder.
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // The same, with the folders named in name created first.
  std::string file_in_new_folders(const std::string& name) const;

 private:
  fs::path path_;
};

}  // namespace testsupport
