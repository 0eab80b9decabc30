// SPDX-License-Identifier: GPL-3.0-or-later
// The export job through the whole run: logo and text stamped onto every
// photo of a folder, written as JPEG quality 85 at full size, or at 1600
// pixels on the long edge as JPEG, WebP or AVIF. bench/run-benchmarks.sh
// times it against libvips doing the same steps.
//
//   export_bench <corpus folder> <variant> <workers> [--write-logo PATH]
//     variant: full | web | webp | avif
// Prints "seconds=S written=W" and exits 0 when every photo was written.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_stamp_job.h"
#include "run/batch.h"

namespace {

std::vector<std::string> photos_in(const std::string& folder) {
  std::vector<std::string> photos;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".jpg") photos.push_back(entry.path().string());
  return photos;
}

bool set_variant(ExportOptions& output, const std::string& variant) {
  output.format = ExportFormat::kJpeg;
  output.jpeg.quality = 85;
  if (variant == "full") return true;
  output.size.mode = ExportSizeMode::kLongEdge;
  output.size.edge = 1600;
  if (variant == "web") return true;
  if (variant == "webp") {
    output.format = ExportFormat::kWebp;
    output.webp.quality = 85;
    return true;
  }
  if (variant == "avif") {
    output.format = ExportFormat::kAvif;
    output.avif.quality = 60;
    output.avif.speed = 8;
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: export_bench <corpus> full|web|webp|avif <workers> [--write-logo PATH]\n");
    return 2;
  }
  TDibImage logo = MakeLogoWatermark();
  if (argc == 6 && std::strcmp(argv[4], "--write-logo") == 0) {
    PixkitSaveSettings png = PixkitSaveSettingsInit();
    png.format = PIXKIT_FORMAT_PNG;
    png.png_compression = 1;
    if (SaveDibAs(&logo, argv[5], &png, nullptr, nullptr) != 1) return 1;
  }
  const std::vector<std::string> photos = photos_in(argv[1]);
  WatermarkJob job = MakeBenchJob(photos, std::string("export-") + argv[2], &logo);
  if (!set_variant(job.output, argv[2])) return 2;
  BatchControl control;
  control.workers = std::atoi(argv[3]);
  const auto start = std::chrono::steady_clock::now();
  const BatchOutcome outcome = RunBatch(
      job, [](const std::string&) {}, control);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  deldib(&logo);
  std::printf("seconds=%.3f written=%d\n", seconds, outcome.sources_written);
  return outcome.sources_written == int(photos.size()) ? 0 : 1;
}
