// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one batch test, removed with its contents at the end.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "run/batch.h"
#include "support/temp_folder.h"

namespace batch_test {

struct ScratchFolder : testsupport::TempDir {
  ScratchFolder() : TempDir("stempora-batch") {}
};

// Writes a 3 x 2 picture at bit_count bits as BMP (format 3) or TGA (12).
bool write_picture(const std::string& path, int bit_count, int format);

// The run's log lines as they arrive; workers append from their threads.
struct Logged {
  std::mutex mutex;
  std::vector<std::string> lines;
  std::function<void(const std::string&)> sink() {
    return [this](const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex);
      lines.push_back(line);
    };
  }
};

// Every file below folder (path relative to it) with its bytes.
std::map<std::string, std::string> files_below(const std::filesystem::path& folder);

// The bytes of one file; empty when it cannot be read.
std::string file_bytes(const std::filesystem::path& path);

// A job over sources with neither text nor picture switched on.
WatermarkJob plain_job(std::vector<std::string> sources);

}  // namespace batch_test
