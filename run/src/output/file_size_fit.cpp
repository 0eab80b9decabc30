// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/file_size_fit.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>
#include <thread>

#include "run/output_path.h"
#include "run/output_save.h"

namespace fs = std::filesystem;

namespace {

// A file that cannot be measured counts as too large.
uintmax_t file_bytes(const std::string& path) {
  std::error_code error;
  const uintmax_t size = fs::file_size(path, error);
  return error ? UINTMAX_MAX : size;
}

// Hidden names beside the output, apart for every process and worker (a
// worker fits one output at a time): short, so that a name cut to the
// longest the file system takes still leaves room.
std::string try_name(const std::string& output, char which) {
  char thread[17];
  std::snprintf(thread, sizeof thread, "%016zx", std::hash<std::thread::id>()(std::this_thread::get_id()));
  return SourceFolder(output) + ".fit-" + std::to_string(getpid()) + "-" + thread + which;
}

// Removes the hidden files whatever way the fit ends.
class TryFiles {
 public:
  explicit TryFiles(const std::string& output) : trial(try_name(output, 't')), best(try_name(output, 'b')) {}
  ~TryFiles() {
    std::error_code ignored;
    fs::remove(trial, ignored);
    fs::remove(best, ignored);
  }
  TryFiles(const TryFiles&) = delete;
  TryFiles& operator=(const TryFiles&) = delete;

  const std::string trial;
  const std::string best;
};

}  // namespace

FittedSave SaveWithinFileSize(const TDibImage& record, const std::string& output, const std::string& source,
                              const LoadedSource& loaded, const WatermarkJob& job,
                              const PixkitCallOptions& call) {
  FittedSave save;
  const uintmax_t cap = uintmax_t(std::max<int32_t>(0, job.output.max_file_size));
  const int top = cap > 0 ? OutputQuality(source, loaded, job) : 0;
  save.written = SaveOutput(record, output, source, loaded, job, call, &save.reason, top);
  if (top <= 0 || !save.written) return save;
  save.quality = top;
  if (file_bytes(output) <= cap) return save;
  if (top == 1) {
    save.over_size = true;
    return save;
  }

  // Quality `fits` is known to fit (0: none yet), `too_large` is known
  // not to; 100 qualities take at most 7 tries to tell apart.
  TryFiles files(output);
  int fits = 0;
  int too_large = top;
  while (too_large - fits > 1) {
    const int quality = (fits + too_large) / 2;
    if (!SaveOutput(record, files.trial, source, loaded, job, call, &save.reason, quality)) {
      save.written = false;
      return save;
    }
    const bool fitting = file_bytes(files.trial) <= cap;
    // Quality 1 is kept even when too large: it is what the output gets then.
    if (fitting || quality == 1) {
      std::error_code error;
      fs::rename(files.trial, files.best, error);
      if (error) {
        save.written = false;
        save.reason = PIXKIT_REASON_IO_ERROR;
        return save;
      }
    }
    (fitting ? fits : too_large) = quality;
  }
  // The output's own permission bits, as the library keeps them when it
  // replaces a file.
  std::error_code error;
  const fs::perms bits = fs::status(output, error).permissions();
  if (!error) fs::permissions(files.best, bits, error);
  fs::rename(files.best, output, error);
  if (error) {
    save.written = false;
    save.reason = PIXKIT_REASON_IO_ERROR;
    return save;
  }
  save.quality = std::max(fits, 1);
  save.over_size = fits == 0;
  return save;
}
