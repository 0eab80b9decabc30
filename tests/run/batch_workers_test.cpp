// SPDX-License-Identifier: GPL-3.0-or-later
// The run on several workers: the same files and the same log as on one,
// cancelling mid-way, shards and the whole-batch progress.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <stdexcept>

#include "batch_scratch_folder.h"
#include "pixkit/pixkit.h"
#include "run/batch.h"

namespace stamptest {
void ensure_gui_application();
}

using batch_test::ScratchFolder;
using batch_test::file_bytes;
using batch_test::Logged;
using batch_test::files_below;
using batch_test::write_picture;
namespace fs = std::filesystem;

namespace {

// A picture big enough to keep a worker busy for a moment.
bool write_photo(const std::string& path, int format) {
  TDibImage picture = newdib(320, 240, 24, nullptr, 0);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      setpixel(&picture, x, y, uint32_t(x) | uint32_t(y) << 8 | uint32_t(x ^ y) << 16);
  const bool ok = SaveDib(&picture, path.c_str(), format, nullptr) == 1;
  deldib(&picture);
  return ok;
}

// Sources of every kind the run meets: several formats and depths, a
// damaged file, a missing one and a type it passes over.
std::vector<std::string> mixed_sources(ScratchFolder& folder) {
  std::vector<std::string> sources;
  const std::pair<const char*, int> formats[] = {{"a.jpg", PIXKIT_FORMAT_JPG}, {"b.bmp", PIXKIT_FORMAT_BMP},
                                                 {"c.tga", PIXKIT_FORMAT_TGA}, {"d.pcx", PIXKIT_FORMAT_PCX},
                                                 {"e.tif", PIXKIT_FORMAT_TIF}, {"f.gif", PIXKIT_FORMAT_GIF}};
  for (const auto& [name, format] : formats) {
    EXPECT_TRUE(write_photo(folder.file(name), format));
    sources.push_back(folder.file(name));
  }
  EXPECT_TRUE(write_picture(folder.file("g.bmp"), 8, PIXKIT_FORMAT_BMP));
  EXPECT_TRUE(write_picture(folder.file("h.rle"), 4, PIXKIT_FORMAT_RLE));
  std::ofstream(folder.file("kaputt.jpg")) << "kein Bild";
  std::ofstream(folder.file("notiz.txt")) << "Text";
  sources.insert(sources.begin() + 2, folder.file("kaputt.jpg"));
  sources.insert(sources.begin() + 4, folder.file("notiz.txt"));
  sources.insert(sources.begin() + 5, folder.file("fehlt.bmp"));
  sources.push_back(folder.file("g.bmp"));
  sources.push_back(folder.file("h.rle"));
  return sources;
}

WatermarkJob stamping_job(std::vector<std::string> sources, const std::string& out_dir) {
  WatermarkJob job;
  job.sources = std::move(sources);
  job.out_dir = out_dir;
  job.jpeg_quality = 60;
  job.text.text = "Wasserzeichen\r\n2024";
  job.text.position = 8;
  return job;
}

std::vector<std::string> replaced(std::vector<std::string> lines, const std::string& from,
                                  const std::string& to) {
  for (std::string& line : lines)
    for (size_t at = line.find(from); at != std::string::npos; at = line.find(from, at + to.size()))
      line.replace(at, from.size(), to);
  return lines;
}

}  // namespace

TEST(BatchWorkers, AnyNumberOfWorkersWritesTheSameFilesAndTheSameLog) {
  stamptest::ensure_gui_application();
  ScratchFolder folder;
  const std::vector<std::string> sources = mixed_sources(folder);
  Logged one, four;
  BatchControl control;
  control.workers = 1;
  const BatchOutcome outcome_one = RunBatch(stamping_job(sources, "eins"), one.sink(), control);
  control.workers = 4;
  const BatchOutcome outcome_four = RunBatch(stamping_job(sources, "vier"), four.sink(), control);

  EXPECT_EQ(outcome_one.sources_written, 8);
  EXPECT_EQ(outcome_one.sources_failed, 2);
  EXPECT_EQ(outcome_one.sources_skipped, 1);
  EXPECT_EQ(outcome_four.sources_written, outcome_one.sources_written);
  EXPECT_EQ(outcome_four.sources_failed, outcome_one.sources_failed);
  EXPECT_EQ(replaced(four.lines, "/vier/", "/eins/"), one.lines);
  EXPECT_EQ(one.lines.back(), "Fertig...");
  EXPECT_EQ(files_below(folder.path() / "vier"), files_below(folder.path() / "eins"));
  EXPECT_EQ(files_below(folder.path() / "eins").size(), 8u);
}

TEST(BatchWorkers, CancelFinishesSourcesInFlightAndLeavesNoPartialFiles) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 40; ++i) {
    sources.push_back(folder.file("bild" + std::to_string(100 + i) + ".bmp"));
    ASSERT_TRUE(write_photo(sources.back(), PIXKIT_FORMAT_BMP));
  }
  const std::map<std::string, std::string> before = files_below(folder.path());
  std::atomic<bool> cancel{false};
  Logged log;
  BatchControl control;
  control.workers = 3;
  control.cancel = &cancel;
  WatermarkJob job = stamping_job(sources, "aus");
  job.add_text = false;
  const BatchOutcome outcome = RunBatch(
      job,
      [&](const std::string& line) {
        log.sink()(line);
        if (line.find("geschrieben") != std::string::npos) cancel = true;
      },
      control);

  EXPECT_TRUE(outcome.cancelled);
  EXPECT_EQ(log.lines.back(), "Abgebrochen...");
  EXPECT_GE(outcome.sources_written, 1);
  EXPECT_LT(outcome.sources_written, 40);
  // Every line but the last names a written source, in list order, and
  // every written file is whole; nothing else lies in the folder.
  const std::map<std::string, std::string> written = files_below(folder.path() / "aus");
  EXPECT_EQ(int(written.size()), outcome.sources_written);
  EXPECT_EQ(int(log.lines.size()), 2 * outcome.sources_written + 1);
  for (const auto& [name, bytes] : written) EXPECT_EQ(bytes, before.at(name)) << name;
  for (const auto& [name, bytes] : before) EXPECT_EQ(file_bytes(folder.path() / name), bytes);
}

TEST(BatchWorkers, ShardsTogetherWriteExactlyWhatTheWholeRunWrites) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 7; ++i) {
    sources.push_back(folder.file("s" + std::to_string(i) + ".tga"));
    ASSERT_TRUE(write_picture(sources.back(), 24, PIXKIT_FORMAT_TGA));
  }
  WatermarkJob whole = stamping_job(sources, "ganz");
  whole.add_text = false;
  Logged log;
  ASSERT_EQ(RunBatch(whole, log.sink()).sources_written, 7);

  WatermarkJob sharded = whole;
  sharded.out_dir = "teil";
  size_t planned = 0;
  for (int k = 0; k < 3; ++k) {
    BatchControl control;
    control.shard_index = k;
    control.shard_count = 3;
    const BatchPlan plan = PlanBatch(sharded, control);
    ASSERT_FALSE(plan.refused);
    ASSERT_FALSE(plan.entries.empty());
    EXPECT_EQ(plan.entries.front().source, sources[size_t(k)]);
    planned += plan.entries.size();
    EXPECT_EQ(RunBatch(sharded, log.sink(), control).sources_written, int(plan.entries.size()));
  }
  EXPECT_EQ(planned, sources.size());
  EXPECT_EQ(files_below(folder.path() / "teil"), files_below(folder.path() / "ganz"));
}

TEST(BatchWorkers, ProgressCoversTheWholeBatchOnceAndNeverGoesBack) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 6; ++i) {
    sources.push_back(folder.file("p" + std::to_string(i) + ".jpg"));
    ASSERT_TRUE(write_photo(sources.back(), PIXKIT_FORMAT_JPG));
  }
  sources.push_back(folder.file("liesmich.txt"));
  std::vector<BatchProgress> seen;
  BatchControl control;
  control.workers = 2;
  control.progress = [&](const BatchProgress& progress) { seen.push_back(progress); };
  WatermarkJob job = stamping_job(sources, "fort");
  job.add_text = false;
  Logged log;
  RunBatch(job, log.sink(), control);

  ASSERT_FALSE(seen.empty());
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_GE(seen[i].fraction, seen[i - 1].fraction);
    EXPECT_GE(seen[i].started, seen[i].finished);
  }
  EXPECT_EQ(seen.back().total, 6);
  EXPECT_EQ(seen.back().finished, 6);
  EXPECT_DOUBLE_EQ(seen.back().fraction, 1.0);
}

TEST(BatchWorkers, NoMoreSourcesAreInWorkThanMemoryHoldsOfTheLargestPictureSoFar) {
  // Every worker used to hold a picture at once, whatever the memory: a
  // hundred thousand asked for held gigabytes.
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 12; ++i) {
    sources.push_back(folder.file("m" + std::to_string(i) + ".bmp"));
    ASSERT_TRUE(write_photo(sources.back(), PIXKIT_FORMAT_BMP));
  }
  WatermarkJob job = stamping_job(sources, "aus");
  job.add_text = false;
  BatchControl control;
  control.workers = 8;
  control.memory_bytes = 1;  // not even one picture: one at a time
  int most_in_work = 0;
  control.progress = [&](const BatchProgress& progress) {
    most_in_work = std::max(most_in_work, progress.started - progress.finished);
  };
  Logged log;
  EXPECT_EQ(RunBatch(job, log.sink(), control).sources_written, 12);
  EXPECT_EQ(most_in_work, 1);
  EXPECT_EQ(log.lines.size(), 25u);
}

TEST(BatchWorkers, ALogThatFailsStopsTheRunInsteadOfAWorkerThread) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 8; ++i) {
    sources.push_back(folder.file("f" + std::to_string(i) + ".bmp"));
    ASSERT_TRUE(write_picture(sources.back(), 24, PIXKIT_FORMAT_BMP));
  }
  WatermarkJob job = stamping_job(sources, "aus");
  job.add_text = false;
  BatchControl control;
  control.workers = 3;
  int heard = 0;
  const BatchOutcome outcome = RunBatch(
      job,
      [&](const std::string&) {
        if (++heard == 3) throw std::runtime_error("Protokoll voll");
      },
      control);
  EXPECT_TRUE(outcome.aborted);
  EXPECT_EQ(outcome.abort_reason, "Protokoll voll");
  EXPECT_EQ(heard, 3);
}
