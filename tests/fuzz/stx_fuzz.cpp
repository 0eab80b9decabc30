// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the settings-file reader. The reader takes a
// path, so each input goes through a temporary file; a file that reads
// hands out a watermark record, which is released here.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "pixkit/pixkit.h"
#include "settings/settings_file.h"

namespace {

// Writes the bytes to a fresh temporary file; empty on failure.
std::string temporary_file_with(const uint8_t* data, size_t size) {
  std::string path = (std::filesystem::temp_directory_path() / "stx-fuzz-XXXXXX").string();
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return {};
  size_t written = 0;
  while (written < size) {
    const ssize_t n = ::write(fd, data + written, size - written);
    if (n <= 0) break;
    written += size_t(n);
  }
  ::close(fd);
  if (written != size) {
    ::unlink(path.c_str());
    return {};
  }
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small caps keep each input fast and the fuzzer's memory bounded.
  PixkitSetLimits(4096, 4'000'000);
  const std::string path = temporary_file_with(data, size);
  if (path.empty()) return 0;
  SettingsReadResult read = ReadSettingsFile(path);
  if (read.ok()) deldib(&read.content.watermark);
  ::unlink(path.c_str());
  return 0;
}
