// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the watermark options next to the plain job, side by side in one
// process: every photo is loaded, stamped and saved in each of these ways,
// in turns so that a busy machine slows them all alike:
//   plain     picture "Eingepasst" 50 %, two text lines 75 %
//   relative  the same with the picture at 25 % of the image width and the
//             text at 3 % of the image height, margins in percent
//   options   the picture tiled and turned by 30 degrees, the text with an
//             outline and a blurred shadow
//   turned    one picture turned by 30 degrees at 25 % of the image width
//   heavy     the picture tiled and turned by 30 degrees at 15 % of the
//             image width, the text with an outline, a blurred shadow and
//             smooth edges
//
//   options_bench --corpus DIR [--count 16] [--rounds 1] [--width 4000] [--height 3000] [--workers 1] [--only
//   JOB]
//
// With --workers N (0: one per core) N photos are worked on at once, one
// per thread, each job in its turn over the same N photos. Missing corpus
// files are made first (JPEG at quality 75). Exits 3 when a job misses its
// target against the plain job: options 1.3, turned 1.05, heavy 1.15.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "image/dib_access.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"
#include "watermark_corpus.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
  std::string corpus;
  int count = 16;
  int rounds = 1;
  int width = 4000;
  int height = 3000;
  int workers = 1;
  std::string only;  // one job's name: that job alone, for a profiler
};

// Processor time of the whole process, every thread's: beside the wall
// time it shows how much of the cores the jobs really had.
double process_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool parse_options(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i], value = argv[i + 1];
    if (key == "--corpus")
      o.corpus = value;
    else if (key == "--count")
      o.count = std::atoi(value.c_str());
    else if (key == "--rounds")
      o.rounds = std::atoi(value.c_str());
    else if (key == "--width")
      o.width = std::atoi(value.c_str());
    else if (key == "--height")
      o.height = std::atoi(value.c_str());
    else if (key == "--only")
      o.only = value;
    else if (key == "--workers")
      o.workers = std::atoi(value.c_str());
    else
      return false;
  }
  if (o.workers == 0) o.workers = int(std::max(1u, std::thread::hardware_concurrency()));
  return !o.corpus.empty() && o.count > 0 && o.rounds > 0 && o.width > 0 && o.height > 0 && o.workers > 0;
}

bool make_corpus(const Options& o, std::vector<std::string>& files) {
  fs::create_directories(o.corpus);
  for (int i = 0; i < o.count; ++i) {
    const std::string path =
        (fs::path(o.corpus) / ("photo_" + std::to_string(o.width) + "x" + std::to_string(o.height) + "_" +
                               std::to_string(i) + ".jpg"))
            .string();
    files.push_back(path);
    if (fs::exists(path)) continue;
    TDibImage picture = MakePhotoLikePicture(o.width, o.height, 1234u + uint32_t(i));
    const int written = picture.Bits ? SaveDib(&picture, path.c_str(), PIXKIT_FORMAT_JPG, nullptr) : 0;
    deldib(&picture);
    if (!written) {
      std::fprintf(stderr, "options_bench: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

// A 320 x 200 logo: a blue ring on light grey.
TDibImage make_watermark() {
  TDibImage d = newdib(320, 200, 24, nullptr, 0);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) {
      const bool ring = std::abs((x - 160) * (x - 160) + (y - 100) * (y - 100) - 80 * 80) < 900;
      setpixel(&d, x, y, ring ? 0x2040C0u : 0xF0F0F0u - uint32_t(x / 4));
    }
  return d;
}

struct Job {
  const char* name;
  PictureStampSettings picture;
  TextStampSettings text;
  double target = 0;     // largest ratio to the plain job allowed; 0: none
  double seconds = 0;    // best round, whole batch, wall time
  double processor = 0;  // processor time of that round
};

std::vector<Job> make_jobs() {
  Job plain{"plain", {}, {}};
  plain.picture.position = 9;
  plain.picture.margin = 20;
  plain.picture.transparency = 50;
  plain.text.text = "Stempora Wasserzeichen\n\xC2\xA9 Fotostudio am Markt";
  plain.text.position = 4;
  plain.text.margin = 20;
  plain.text.transparency = 75;

  Job relative = plain;
  relative.name = "relative";
  relative.picture.options.relative = RelativeTo::kImageWidth;
  relative.picture.options.relative_percent = 25;
  relative.picture.options.margin_in_percent = true;
  relative.text.options.relative = RelativeTo::kImageHeight;
  relative.text.options.relative_percent = 3;
  relative.text.options.margin_in_percent = true;

  Job options = plain;
  options.name = "options";
  options.target = 1.3;
  options.picture.position = 4;
  options.picture.options.angle = 30;
  options.picture.options.tile.enabled = true;
  options.picture.options.tile.gap_x = 200;
  options.picture.options.tile.gap_y = 150;
  options.text.options.outline = true;
  options.text.options.outline_width = 2;
  options.text.options.shadow = true;
  options.text.options.shadow_blur = 3;

  Job turned = plain;
  turned.name = "turned";
  turned.target = 1.05;
  turned.picture.options.angle = 30;
  turned.picture.options.relative = RelativeTo::kImageWidth;
  turned.picture.options.relative_percent = 25;

  Job heavy = options;
  heavy.name = "heavy";
  heavy.target = 1.15;
  heavy.picture.options.relative = RelativeTo::kImageWidth;
  heavy.picture.options.relative_percent = 15;
  heavy.text.options.smooth = true;
  return {plain, relative, options, turned, heavy};
}

void run_one(const std::string& in, const std::string& out, const TDibImage& watermark, const Job& job) {
  TDibImage d = OpenDib(in.c_str(), 0, nullptr);
  if (d.Bits && DibBitCount(d) == 24) {
    StampPicture(d, watermark, job.picture);
    StampText(d, job.text);
    SaveDib(&d, out.c_str(), PIXKIT_FORMAT_JPG, nullptr);
  }
  deldib(&d);
}

// One job over photos [first, end), one thread per photo.
void run_group(const std::vector<std::string>& files, size_t first, size_t end, const fs::path& out_dir,
               const TDibImage& watermark, const Job& job) {
  const auto out_of = [&](size_t f) {
    return (out_dir / (std::string(job.name) + "_" + fs::path(files[f]).filename().string())).string();
  };
  if (end - first == 1) {
    run_one(files[first], out_of(first), watermark, job);
    return;
  }
  std::vector<std::thread> threads;
  for (size_t f = first; f < end; ++f)
    threads.emplace_back([&, f] { run_one(files[f], out_of(f), watermark, job); });
  for (std::thread& t : threads) t.join();
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse_options(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: options_bench --corpus DIR [--count N] [--rounds N] [--width W] [--height H] "
                 "[--workers N] [--only JOB]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QGuiApplication app(qt_argc, argv);

  SetJPEGQual(75);
  std::vector<std::string> files;
  if (!make_corpus(o, files)) return 1;
  const fs::path out_dir = fs::path(o.corpus) / "out";
  fs::create_directories(out_dir);
  TDibImage watermark = make_watermark();
  std::vector<Job> jobs = make_jobs();
  if (!o.only.empty()) {
    std::erase_if(jobs, [&o](const Job& job) { return job.name != o.only; });
    if (jobs.empty()) return 2;
  }

  const size_t group = size_t(o.workers);
  for (int r = 0; r < o.rounds; ++r) {
    std::vector<double> totals(jobs.size(), 0), processor(jobs.size(), 0);
    // A group of photos at a time, the jobs in turns (their order rotating),
    // so that neither warm caches nor a burst of other work favour one of
    // them.
    for (size_t f = 0, g = 0; f < files.size(); f += group, ++g) {
      const size_t end = std::min(files.size(), f + group);
      for (size_t k = 0; k < jobs.size(); ++k) {
        const size_t j = (k + g + size_t(r)) % jobs.size();
        const double cpu = process_seconds();
        const Clock::time_point start = Clock::now();
        run_group(files, f, end, out_dir, watermark, jobs[j]);
        totals[j] += std::chrono::duration<double>(Clock::now() - start).count();
        processor[j] += process_seconds() - cpu;
      }
    }
    for (size_t j = 0; j < jobs.size(); ++j) {
      if (r > 0 && jobs[j].seconds <= totals[j]) continue;
      jobs[j].seconds = totals[j];
      jobs[j].processor = processor[j];
    }
  }
  deldib(&watermark);

  std::printf("pictures: %zu of %dx%d jpg, %d at once, best of %d rounds\n", files.size(), o.width, o.height,
              o.workers, o.rounds);
  bool met = true;
  for (const Job& job : jobs) {
    const double ratio = job.seconds / jobs[0].seconds;
    std::printf("  %-9s %8.1f ms per picture  ratio to plain %.3f  (processor %.3f)", job.name,
                1000 * job.seconds / double(files.size()), ratio, job.processor / jobs[0].processor);
    if (job.target > 0) {
      std::printf("  target <= %.2f: %s", job.target, ratio <= job.target ? "PASS" : "FAIL");
      met = met && ratio <= job.target;
    }
    std::printf("\n");
  }
  return met ? 0 : 3;
}
