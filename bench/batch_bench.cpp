// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run on several workers, next to one worker and to the codec
// alone, each run in a child process of its own (its peak memory and its
// cores are its own):
//
//   batch_bench speed   --corpus DIR --scratch DIR [--rounds 3]
//       The job over the corpus with 1 worker on one core and 2 workers on
//       two cores, and djpeg | cjpeg -quality 75 on one core, in turns.
//   batch_bench memory  --corpus DIR --scratch DIR [--workers 2,4]
//       Peak resident size of the job with 1 worker and with N workers.
//   batch_bench scaling --scratch DIR [--lengths 200,1000,2000] [--rounds 3] [--workers 2]
//       Time per picture for lists of small pictures of growing length.
//
// The corpus is every .jpg in DIR; the run reads it through links in the
// scratch folder, so that everything the runs write lands there. Each step
// prints its figures and PASS or FAIL per target; the exit status is 0 when
// every target was met, 3 when one was missed, 1 when a step could not run
// and 2 for a wrong command line. "batch_bench job ..." is the child side.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "batch_bench_job.h"
#include "child_process.h"
#include "watermark_corpus.h"

namespace fs = std::filesystem;

namespace {

// Two workers on two cores take at most 1 / 1.85 of one worker's time.
constexpr double kSpeedupTarget = 1.85;
// One worker on one core takes no longer than djpeg | cjpeg on one core.
constexpr double kPeerRatioTarget = 1.0;
// Peak with N workers at most N times the one-worker peak plus this.
constexpr double kMemorySlackMb = 20.0;
// Time per small picture of the longest list over that of the shortest.
constexpr double kGrowthTarget = 1.20;

constexpr int kSmallWidth = 64;
constexpr int kSmallHeight = 48;

using Options = std::map<std::string, std::string>;

std::vector<int> int_list(const std::string& text) {
  std::vector<int> values;
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');) values.push_back(std::atoi(item.c_str()));
  return values;
}

// What one child run of the job measured.
struct JobFigures {
  bool ok = false;
  double run_seconds = 0;   // RunBatch alone, timed in the child
  double cpu_seconds = 0;   // the child's processor time during RunBatch
  double wall_seconds = 0;  // the whole child process
  double peak_mb = 0;       // the child's peak resident size
};

double megabytes(long kib) { return double(kib) * 1024.0 / 1e6; }

// Runs the job over the list in a child, on the given cores, writing into
// out_dir beside the sources (emptied first, so every run creates its
// files rather than replacing them).
JobFigures run_job(const std::string& list, const fs::path& source_folder, const std::string& out_dir,
                   int workers, const std::vector<int>& cores, int expected) {
  std::error_code ignored;
  fs::remove_all(source_folder / out_dir, ignored);
  const ChildRun child = RunChild(
      {OwnExecutable(), "job", "--list", list, "--out-dir", out_dir, "--workers", std::to_string(workers)},
      cores);
  JobFigures figures;
  figures.run_seconds = ChildFigure(child.output, "run_seconds");
  figures.cpu_seconds = ChildFigure(child.output, "cpu_seconds");
  figures.wall_seconds = child.wall_seconds;
  figures.peak_mb = megabytes(child.peak_kb);
  const int written = int(ChildFigure(child.output, "written"));
  figures.ok = child.ok() && figures.run_seconds >= 0 && written == expected;
  if (!figures.ok)
    std::fprintf(stderr, "batch_bench: the job with %d worker(s) failed (exit %d, %d of %d written)\n",
                 workers, child.exit_status, written, expected);
  fs::remove_all(source_folder / out_dir, ignored);
  return figures;
}

void write_list(const std::string& path, const std::vector<std::string>& sources, size_t count) {
  std::ofstream out(path);
  for (size_t i = 0; i < count && i < sources.size(); ++i) out << sources[i] << '\n';
}

// Links to every .jpg of the corpus in scratch/photos, in name order, and
// their list in scratch/photos.list.
std::vector<std::string> link_corpus(const fs::path& corpus, const fs::path& scratch, std::string& list) {
  std::vector<fs::path> photos;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus, error))
    if (entry.is_regular_file() && entry.path().extension() == ".jpg") photos.push_back(entry.path());
  std::sort(photos.begin(), photos.end());
  const fs::path links = scratch / "photos";
  fs::remove_all(links, error);
  fs::create_directories(links, error);
  std::vector<std::string> sources;
  for (const fs::path& photo : photos) {
    const fs::path link = links / photo.filename();
    fs::create_symlink(fs::absolute(photo), link, error);
    if (error) return {};
    sources.push_back(link.string());
  }
  list = (scratch / "photos.list").string();
  write_list(list, sources, sources.size());
  return sources;
}

const char* verdict(bool met) { return met ? "PASS" : "FAIL"; }

// --- speed -------------------------------------------------------------

int step_speed(const Options& o) {
  const fs::path scratch = o.at("scratch");
  const int rounds = std::max(1, std::atoi(o.count("rounds") ? o.at("rounds").c_str() : "3"));
  std::string list;
  const std::vector<std::string> sources = link_corpus(o.at("corpus"), scratch, list);
  if (sources.empty()) {
    std::fprintf(stderr, "batch_bench speed: no .jpg in %s\n", o.at("corpus").c_str());
    return 1;
  }
  const int count = int(sources.size());
  const std::vector<int> cores = AllowedCores();
  if (cores.empty()) return 1;
  const std::vector<int> one_core{cores[0]};
  const bool two_cores = cores.size() >= 2;
  const std::vector<int> both_cores = two_cores ? std::vector<int>{cores[0], cores[1]} : one_core;

  // The peer decodes to PPM and encodes again, one file after the other;
  // its two processes share the one core as ours share nothing.
  const fs::path peer_out = scratch / "peer-out";
  const std::string peer_script =
      "set -eo pipefail; for f in \"$1\"/*.jpg; do djpeg \"$f\" | cjpeg -quality 75 > \"$2/${f##*/}\"; done";
  const fs::path photos = scratch / "photos";

  double best_peer = 0, best_one = 0, best_two = 0;
  double cpu_peer = 0, cpu_one = 0, cpu_two = 0, process_one = 0;
  for (int r = 0; r < rounds; ++r) {
    double peer = 0, peer_cpu = 0;
    JobFigures one, two;
    // Who goes first changes from round to round, so that warm caches and
    // a neighbour's load favour none of the three.
    for (int turn = 0; turn < 3; ++turn) {
      switch ((turn + r) % 3) {
        case 0: {
          std::error_code ignored;
          fs::remove_all(peer_out, ignored);
          fs::create_directories(peer_out, ignored);
          const ChildRun child = RunChild(
              {"/bin/bash", "-c", peer_script, "batch_bench-peer", photos.string(), peer_out.string()},
              one_core);
          if (!child.ok()) {
            std::fprintf(stderr,
                         "batch_bench speed: djpeg | cjpeg failed (is libjpeg-turbo-progs installed?)\n");
            return 1;
          }
          peer = child.wall_seconds;
          peer_cpu = child.cpu_seconds;
          break;
        }
        case 1:
          one = run_job(list, photos, "out-1-worker", 1, one_core, count);
          break;
        default:
          if (two_cores) two = run_job(list, photos, "out-2-workers", 2, both_cores, count);
          break;
      }
      if ((turn + r) % 3 == 1 && !one.ok) return 1;
      if ((turn + r) % 3 == 2 && two_cores && !two.ok) return 1;
    }
    std::printf("  round %d: djpeg|cjpeg %.2f s (cpu %.2f), 1 worker %.2f s (cpu %.2f)", r + 1, peer,
                peer_cpu, one.run_seconds, one.cpu_seconds);
    if (two_cores) std::printf(", 2 workers %.2f s (cpu %.2f)", two.run_seconds, two.cpu_seconds);
    std::printf("\n");
    if (r == 0 || peer < best_peer) {
      best_peer = peer;
      cpu_peer = peer_cpu;
    }
    if (r == 0 || one.run_seconds < best_one) {
      best_one = one.run_seconds;
      cpu_one = one.cpu_seconds;
      process_one = one.wall_seconds;
    }
    if (two_cores && (r == 0 || two.run_seconds < best_two)) {
      best_two = two.run_seconds;
      cpu_two = two.cpu_seconds;
    }
  }

  std::printf("batch speed: %d pictures of %s, the full job, best of %d rounds\n", count,
              o.at("corpus").c_str(), rounds);
  std::printf("  djpeg | cjpeg -quality 75, 1 core: %8.3f s (cpu %.3f s)\n", best_peer, cpu_peer);
  std::printf("  1 worker, 1 core:                  %8.3f s (cpu %.3f s; whole process %.3f s)\n", best_one,
              cpu_one, process_one);
  bool met = true;
  if (two_cores) {
    std::printf("  2 workers, 2 cores:                %8.3f s (cpu %.3f s)\n", best_two, cpu_two);
    const double speedup = best_one / best_two;
    const bool speedup_met = speedup >= kSpeedupTarget;
    met = met && speedup_met;
    std::printf("  2 workers / 1 worker %.3f, speed-up %.2f (target <= 1/%.2f = %.3f): %s\n",
                best_two / best_one, speedup, kSpeedupTarget, 1.0 / kSpeedupTarget, verdict(speedup_met));
  } else {
    std::printf("  2 workers: SKIP (this process may use one core only)\n");
  }
  const double peer_ratio = best_one / best_peer;
  const bool peer_met = peer_ratio <= kPeerRatioTarget;
  std::printf("  1 worker / djpeg|cjpeg %.3f (target <= %.2f): %s\n", peer_ratio, kPeerRatioTarget,
              verdict(peer_met));
  // Wall times are what the targets are about; the processor times show
  // whether the machine was free enough for them to mean anything.
  std::printf("  processor time: 1 worker / djpeg|cjpeg %.3f, 2 workers / 1 worker %.3f (information)\n",
              cpu_one / cpu_peer, two_cores ? cpu_two / cpu_one : 0.0);
  return met && peer_met ? 0 : 3;
}

// --- memory ------------------------------------------------------------

int step_memory(const Options& o) {
  const fs::path scratch = o.at("scratch");
  std::vector<int> workers = int_list(o.count("workers") ? o.at("workers") : "2,4");
  workers.erase(std::remove_if(workers.begin(), workers.end(), [](int n) { return n < 2; }), workers.end());
  std::string list;
  const std::vector<std::string> sources = link_corpus(o.at("corpus"), scratch, list);
  if (sources.empty() || workers.empty()) return 1;
  const int count = int(sources.size());
  const fs::path photos = scratch / "photos";

  // The peak hardly varies from run to run: one run each. The workers may
  // use every core; the peak does not depend on where they run.
  const JobFigures one = run_job(list, photos, "out-mem-1", 1, {}, count);
  if (!one.ok) return 1;
  std::printf("batch memory: %d pictures of %s, peak resident size per run\n", count, o.at("corpus").c_str());
  std::printf("  1 worker:  %8.1f MB\n", one.peak_mb);
  bool met = true;
  for (int n : workers) {
    const JobFigures many = run_job(list, photos, "out-mem-" + std::to_string(n), n, {}, count);
    if (!many.ok) return 1;
    const double limit = n * one.peak_mb + kMemorySlackMb;
    const bool within = many.peak_mb <= limit;
    met = met && within;
    std::printf(
        "  %d workers: %8.1f MB, %.1f MB per added worker (target <= %d x %.1f + %.0f = %.1f MB): %s\n", n,
        many.peak_mb, (many.peak_mb - one.peak_mb) / (n - 1), n, one.peak_mb, kMemorySlackMb, limit,
        verdict(within));
  }
  return met ? 0 : 3;
}

// --- scaling -----------------------------------------------------------

// count small photo-like JPEGs in folder, made once.
std::vector<std::string> make_small_pictures(const fs::path& folder, int count) {
  std::error_code error;
  fs::create_directories(folder, error);
  PixkitCallOptions call = PixkitCallOptionsInit();
  call.jpeg_quality = 75;
  std::vector<std::string> sources;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "small_%05d.jpg", i + 1);
    const fs::path path = folder / name;
    sources.push_back(path.string());
    if (fs::exists(path, error)) continue;
    TDibImage picture = MakePhotoLikePicture(kSmallWidth, kSmallHeight, 4321u + uint32_t(i));
    int reason = 0;
    const bool written =
        picture.Bits && SaveDibWith(&picture, path.c_str(), PIXKIT_FORMAT_JPG, &call, &reason) == 1;
    deldib(&picture);
    if (!written) return {};
  }
  return sources;
}

int step_scaling(const Options& o) {
  const fs::path scratch = o.at("scratch");
  std::vector<int> lengths = int_list(o.count("lengths") ? o.at("lengths") : "200,1000,2000");
  const int rounds = std::max(1, std::atoi(o.count("rounds") ? o.at("rounds").c_str() : "3"));
  const int workers = std::max(1, std::atoi(o.count("workers") ? o.at("workers").c_str() : "2"));
  std::sort(lengths.begin(), lengths.end());
  if (lengths.empty() || lengths.front() < 1) return 2;
  const fs::path folder = scratch / "small";
  const std::vector<std::string> sources = make_small_pictures(folder, lengths.back());
  if (sources.empty()) {
    std::fprintf(stderr, "batch_bench scaling: cannot write the small pictures in %s\n", folder.c_str());
    return 1;
  }
  std::vector<int> cores = AllowedCores();
  if (int(cores.size()) > workers) cores.resize(size_t(workers));

  std::vector<double> best(lengths.size(), 0), best_cpu(lengths.size(), 0);
  for (int r = 0; r < rounds; ++r) {
    std::printf("  round %d:", r + 1);
    for (size_t k = 0; k < lengths.size(); ++k) {
      // Rotated, as in the speed step.
      const size_t i = (k + size_t(r)) % lengths.size();
      const int length = lengths[i];
      const std::string list = (scratch / ("small-" + std::to_string(length) + ".list")).string();
      write_list(list, sources, size_t(length));
      const JobFigures run = run_job(list, folder, "out-" + std::to_string(length), workers, cores, length);
      if (!run.ok) return 1;
      const double per_picture = run.run_seconds / length;
      if (r == 0 || per_picture < best[i]) {
        best[i] = per_picture;
        best_cpu[i] = run.cpu_seconds / length;
      }
      std::printf(" %d: %.3f ms", length, 1000 * per_picture);
    }
    std::printf("\n");
  }

  std::printf("batch scaling: %dx%d JPEGs, %d worker(s) on %zu core(s), best of %d rounds\n", kSmallWidth,
              kSmallHeight, workers, cores.size(), rounds);
  double growth = 1;
  for (size_t i = 0; i < lengths.size(); ++i) {
    const double ratio = best[i] / best[0];
    growth = std::max(growth, ratio);
    std::printf("  list of %5d: %7.3f ms per picture, cpu %.3f ms (%.2f x the list of %d)\n", lengths[i],
                1000 * best[i], 1000 * best_cpu[i], ratio, lengths[0]);
  }
  const bool met = growth <= kGrowthTarget;
  std::printf("  largest growth %.2f (target <= %.2f): %s\n", growth, kGrowthTarget, verdict(met));
  return met ? 0 : 3;
}

bool parse_options(int argc, char** argv, Options& o) {
  for (int i = 2; i < argc; i += 2) {
    const std::string key = argv[i];
    if (key.rfind("--", 0) != 0 || i + 1 >= argc) return false;
    o[key.substr(2)] = argv[i + 1];
  }
  return o.count("scratch") == 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string step = argc > 1 ? argv[1] : "";
  if (step == "job") return RunBenchJob(argc, argv);
  Options o;
  const bool needs_corpus = step == "speed" || step == "memory";
  if (!parse_options(argc, argv, o) || (needs_corpus && !o.count("corpus")) ||
      (!needs_corpus && step != "scaling")) {
    std::fprintf(
        stderr,
        "usage: batch_bench speed --corpus DIR --scratch DIR [--rounds 3]\n"
        "       batch_bench memory --corpus DIR --scratch DIR [--workers 2,4]\n"
        "       batch_bench scaling --scratch DIR [--lengths 200,1000,2000] [--rounds 3] [--workers 2]\n");
    return 2;
  }
  std::error_code error;
  fs::create_directories(o.at("scratch"), error);
  if (step == "speed") return step_speed(o);
  if (step == "memory") return step_memory(o);
  return step_scaling(o);
}
