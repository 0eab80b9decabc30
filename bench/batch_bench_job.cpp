// SPDX-License-Identifier: GPL-3.0-or-later
// One timed run of the benchmark job, as stempora-batch would do it: the
// job is made once, then RunBatch goes through the list with the asked
// number of workers. Only RunBatch is timed; the process start, the Qt
// set-up and the font look-up before the first text are the same for any
// list and any number of workers, and are warmed up first so that they do
// not land on whichever source happens to be first.
#include "batch_bench_job.h"

#include <sys/resource.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_stamp_job.h"
#include "run/batch.h"

namespace {

struct JobOptions {
  std::string list;
  std::string out_dir;
  int workers = 1;
};

bool parse_job_options(int argc, char** argv, JobOptions& o) {
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i], value = argv[i + 1];
    if (key == "--list")
      o.list = value;
    else if (key == "--out-dir")
      o.out_dir = value;
    else if (key == "--workers")
      o.workers = std::atoi(value.c_str());
    else
      return false;
  }
  return !o.list.empty() && !o.out_dir.empty() && o.workers >= 0;
}

std::vector<std::string> read_list(const std::string& path) {
  std::vector<std::string> sources;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) sources.push_back(line);
  return sources;
}

// Loads the fonts and lays out the text once on a scrap picture.
void warm_up(const TDibImage& watermark) {
  TDibImage scrap = newdib(64, 48, 24, nullptr, 0);
  if (scrap.Bits == nullptr) return;
  StampPicture(scrap, watermark, BenchPictureSettings());
  StampText(scrap, BenchTextSettings());
  deldib(&scrap);
}

double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

}  // namespace

int RunBenchJob(int argc, char** argv) {
  JobOptions o;
  if (!parse_job_options(argc, argv, o)) {
    std::fprintf(stderr, "usage: batch_bench job --list FILE --out-dir NAME --workers N\n");
    return 1;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QGuiApplication app(qt_argc, argv);

  std::vector<std::string> sources = read_list(o.list);
  if (sources.empty()) {
    std::fprintf(stderr, "batch_bench job: no sources in %s\n", o.list.c_str());
    return 1;
  }
  TDibImage watermark = MakeLogoWatermark();
  if (watermark.Bits == nullptr) return 1;
  warm_up(watermark);
  const WatermarkJob job = MakeBenchJob(std::move(sources), o.out_dir, &watermark);

  // The log goes nowhere: a front end's own output is not the run's cost.
  size_t lines = 0;
  const LogSink sink = [&lines](const std::string&) { ++lines; };
  BatchControl control;
  control.workers = o.workers;

  const double cpu_before = cpu_seconds();
  const auto start = std::chrono::steady_clock::now();
  const BatchOutcome outcome = RunBatch(job, sink, control);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = cpu_seconds() - cpu_before;
  deldib(&watermark);

  if (outcome.refused || outcome.aborted) {
    std::fprintf(stderr, "batch_bench job: the run %s %s\n", outcome.refused ? "was refused:" : "stopped:",
                 outcome.refused ? outcome.overwritten_source.c_str() : outcome.abort_reason.c_str());
    return 1;
  }
  std::printf("run_seconds=%.6f cpu_seconds=%.6f written=%d failed=%d skipped=%d lines=%zu\n", seconds, cpu,
              outcome.sources_written, outcome.sources_failed, outcome.sources_skipped, lines);
  return 0;
}
