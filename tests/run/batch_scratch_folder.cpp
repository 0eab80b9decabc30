#include "batch_scratch_folder.h"

#include <stdlib.h>

#include <stdexcept>

#include "pixkit/pixkit.h"

namespace batch_test {

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "stempora-batch-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

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

}  // namespace batch_test
