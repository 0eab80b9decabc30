// A fresh folder for one batch test, removed with its contents at the end.
#pragma once

#include <filesystem>
#include <string>

namespace batch_test {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes a 3 x 2 picture at bit_count bits as BMP (format 3) or TGA (12).
bool write_picture(const std::string& path, int bit_count, int format);

}  // namespace batch_test
