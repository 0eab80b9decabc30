// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_scratch_folder.h"

#include <fstream>
#include <iterator>

#include "pixkit/pixkit.h"

namespace batch_test {

bool write_picture(const std::string& path, int bit_count, int format) {
  TDibImage picture = newdib(3, 2, bit_count, nullptr, 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      setpixel(&picture, x, y,
               bit_count <= 8 ? uint32_t(x + 3 * y) : uint32_t(40 * x) | uint32_t(90 * y) << 8);
    }
  }
  const bool ok = SaveDib(&picture, path.c_str(), format, nullptr) == 1;
  deldib(&picture);
  return ok;
}

std::map<std::string, std::string> files_below(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = file_bytes(entry.path());
  }
  return files;
}

std::string file_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

WatermarkJob plain_job(std::vector<std::string> sources) {
  WatermarkJob job;
  job.sources = std::move(sources);
  job.add_text = false;
  job.add_picture = false;
  return job;
}

}  // namespace batch_test
