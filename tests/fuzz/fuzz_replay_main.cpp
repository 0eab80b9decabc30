// SPDX-License-Identifier: GPL-3.0-or-later
// Runs saved inputs through a fuzz harness so that every crash file found
// once stays a regression test. Arguments are files or folders (searched
// recursively); a missing folder counts as empty.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static void replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char** argv) {
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg(argv[i]);
    std::error_code ec;
    if (fs::is_regular_file(arg, ec)) {
      replay(arg);
      ++count;
    } else if (fs::is_directory(arg, ec)) {
      for (const auto& entry : fs::recursive_directory_iterator(arg))
        if (entry.is_regular_file()) {
          replay(entry.path());
          ++count;
        }
    }
  }
  std::printf("replayed %zu inputs\n", count);
  return 0;
}
