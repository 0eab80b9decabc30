// SPDX-License-Identifier: GPL-3.0-or-later
// Loads every JPEG of a folder and saves it again at quality 75 into a
// second folder, the way a watermark run does minus the stamping. Timed
// from outside (bench/run-benchmarks.sh) against djpeg | cjpeg.
//
//   codec_jpeg_bench <input folder> <output folder>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <input folder> <output folder>\n", argv[0]);
    return 2;
  }
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(argv[1]))
    if (entry.path().extension() == ".jpg") inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::fprintf(stderr, "no .jpg files in %s\n", argv[1]);
    return 1;
  }
  SetJPEGQual(75);
  int failures = 0;
  for (const fs::path& input : inputs) {
    TDibImage dib = OpenDib(input.c_str(), 0, nullptr);
    if (!dib.Bits) {
      std::fprintf(stderr, "cannot load %s\n", input.c_str());
      ++failures;
      continue;
    }
    const std::string output = (fs::path(argv[2]) / input.filename()).string();
    if (SaveDib(&dib, output.c_str(), PIXKIT_FORMAT_JPG, nullptr) != 1) {
      std::fprintf(stderr, "cannot save %s\n", output.c_str());
      ++failures;
    }
    deldib(&dib);
  }
  return failures == 0 ? 0 : 1;
}
