// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run over a folder of JPEGs on one worker, with the untouched
// blocks kept or the ordinary way, for bench/run-benchmarks.sh to time next
// to djpeg | cjpeg and jpegtran:
//
//   jpeg_blocks_bench <input folder> <subfolder name> kept|ordinary [corner|tiled]
//
// "corner": the logo "Unten Rechts" at 10 % of the width and one line of
// text "Oben Links"; "tiled": the logo tiled over the whole picture.
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_stamp_job.h"
#include "run/batch.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: jpeg_blocks_bench <input folder> <subfolder name> kept|ordinary [corner|tiled]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string mode = argv[3];
  const bool tiled = argc > 4 && std::string(argv[4]) == "tiled";
  std::vector<std::string> sources;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
    if (entry.path().extension() == ".jpg") sources.push_back(entry.path().string());
  std::sort(sources.begin(), sources.end());
  TDibImage logo = MakeLogoWatermark();
  WatermarkJob job = MakeBenchJob(sources, argv[2], &logo);
  job.picture.position = 8;  // "Unten Rechts"
  job.picture.transparency = 30;
  job.picture.options.relative = RelativeTo::kImageWidth;
  job.picture.options.relative_percent = 10;
  job.picture.options.tile.enabled = tiled;
  job.text.text = "\xC2\xA9 Fotostudio am Markt";
  job.text.position = 0;  // "Oben Links"
  job.output.keep_jpeg_blocks = mode == "kept";
  BatchControl control;
  control.workers = 1;
  const BatchOutcome outcome = RunBatch(job, [](const std::string&) {}, control);
  deldib(&logo);
  if (outcome.sources_written != int(sources.size())) {
    std::fprintf(stderr, "jpeg_blocks_bench: %d of %zu written\n", outcome.sources_written, sources.size());
    return 1;
  }
  return 0;
}
