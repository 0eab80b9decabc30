// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the stamping passes next to the codec: a batch of photo-sized
// pictures is loaded and saved only, and loaded, promoted when needed,
// stamped with the picture ("Eingepasst", 50%) and two text lines (75%) and
// saved, alternately in the same process, and the best round of each is
// compared.
//
//   watermark_bench --corpus DIR [--count 4] [--rounds 3] [--format jpg|bmp]
//                   [--width 4000] [--height 3000]
//
// Missing corpus files are made first (JPEG at quality 75).
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_stamp_job.h"
#include "image/depth_up.h"
#include "image/dib_access.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"
#include "watermark_corpus.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
  std::string corpus;
  int count = 4;
  int rounds = 3;
  std::string format = "jpg";
  int width = 4000;
  int height = 3000;
};

bool parse_options(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i], value = argv[i + 1];
    if (key == "--corpus")
      o.corpus = value;
    else if (key == "--count")
      o.count = std::atoi(value.c_str());
    else if (key == "--rounds")
      o.rounds = std::atoi(value.c_str());
    else if (key == "--format")
      o.format = value;
    else if (key == "--width")
      o.width = std::atoi(value.c_str());
    else if (key == "--height")
      o.height = std::atoi(value.c_str());
    else
      return false;
  }
  return !o.corpus.empty() && o.count > 0 && o.rounds > 0 && o.width > 0 && o.height > 0 &&
         (o.format == "jpg" || o.format == "bmp");
}

int format_code(const std::string& format) { return format == "jpg" ? PIXKIT_FORMAT_JPG : PIXKIT_FORMAT_BMP; }

bool make_corpus(const Options& o, std::vector<std::string>& files) {
  fs::create_directories(o.corpus);
  for (int i = 0; i < o.count; ++i) {
    const std::string path =
        (fs::path(o.corpus) / ("photo_" + std::to_string(o.width) + "x" + std::to_string(o.height) + "_" +
                               std::to_string(i) + "." + o.format))
            .string();
    files.push_back(path);
    if (fs::exists(path)) continue;
    TDibImage picture = MakePhotoLikePicture(o.width, o.height, 1234u + uint32_t(i));
    const int written = picture.Bits ? SaveDib(&picture, path.c_str(), format_code(o.format), nullptr) : 0;
    deldib(&picture);
    if (!written) {
      std::fprintf(stderr, "watermark_bench: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

struct RoundTimes {
  double load_save = 0;  // seconds for the whole batch
  double full = 0;
  double stamping = 0;  // inside full: promotion and both passes
};

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void load_and_save(const std::string& in, const std::string& out, int format) {
  TDibImage d = OpenDib(in.c_str(), 0, nullptr);
  if (d.Bits) SaveDib(&d, out.c_str(), format, nullptr);
  deldib(&d);
}

double full_run(const std::string& in, const std::string& out, int format, const TDibImage& watermark,
                const PictureStampSettings& picture, const TextStampSettings& text) {
  TDibImage d = OpenDib(in.c_str(), 0, nullptr);
  double stamping = 0;
  if (d.Bits) {
    const Clock::time_point start = Clock::now();
    AlphaPlane alpha;
    if (DibBitCount(d) == 32)
      alpha = SetAlphaAside(d);
    else if (DibBitCount(d) != 24)
      DepthUpTo(d, 24);
    StampPicture(d, watermark, picture);
    StampText(d, text);
    RestoreAlpha(d, alpha);
    stamping = seconds_since(start);
    SaveDib(&d, out.c_str(), format, nullptr);
  }
  deldib(&d);
  return stamping;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse_options(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: watermark_bench --corpus DIR [--count N] [--rounds N] [--format jpg|bmp] "
                 "[--width W] [--height H]\n");
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
  const int format = format_code(o.format);

  TDibImage watermark = MakeLogoWatermark();
  const PictureStampSettings picture = BenchPictureSettings();
  const TextStampSettings text = BenchTextSettings();

  std::vector<RoundTimes> rounds;
  for (int r = 0; r < o.rounds; ++r) {
    RoundTimes t;
    // Alternate which half goes first so that warm caches favour neither.
    for (int half = 0; half < 2; ++half) {
      const bool plain = (half == 0) == (r % 2 == 0);
      const Clock::time_point start = Clock::now();
      for (const std::string& in : files) {
        const std::string name = fs::path(in).filename().string();
        if (plain)
          load_and_save(in, (out_dir / name).string(), format);
        else
          t.stamping +=
              full_run(in, (out_dir / ("stamped_" + name)).string(), format, watermark, picture, text);
      }
      (plain ? t.load_save : t.full) = seconds_since(start);
    }
    std::printf("round %d: load+save %.1f ms/picture, full run %.1f ms/picture (stamping %.1f)\n", r + 1,
                1000 * t.load_save / files.size(), 1000 * t.full / files.size(),
                1000 * t.stamping / files.size());
    rounds.push_back(t);
  }
  deldib(&watermark);

  const auto best = [&](double RoundTimes::*field) {
    double m = rounds[0].*field;
    for (const RoundTimes& t : rounds) m = std::min(m, t.*field);
    return m;
  };
  const double load_save = best(&RoundTimes::load_save), full = best(&RoundTimes::full);
  const double stamping = best(&RoundTimes::stamping);
  std::printf("pictures: %zu of %dx%d %s, best of %d rounds\n", files.size(), o.width, o.height,
              o.format.c_str(), o.rounds);
  std::printf("load+save only:          %8.1f ms per picture\n", 1000 * load_save / files.size());
  std::printf("load+stamp+save:         %8.1f ms per picture\n", 1000 * full / files.size());
  std::printf("  of which promotion and passes: %.1f ms per picture\n", 1000 * stamping / files.size());
  // The stamping time is measured inside each picture, so it is steadier than
  // the difference of two batch times on a busy machine.
  std::printf("stamping / load+save:    %8.3f\n", stamping / load_save);
  std::printf("ratio full / load+save:  %8.3f (target <= 1.15)\n", full / load_save);
  return full / load_save <= 1.15 ? 0 : 3;
}
