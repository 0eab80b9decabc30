// SPDX-License-Identifier: GPL-3.0-or-later
// stempora-batch while it works: SIGINT and SIGTERM cancel cleanly, and
// a terminal on standard error gets a progress line that is gone at the end.
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "batch_process.h"

using namespace cli_test;

namespace {

size_t count_lines_ending(const BatchRun& run, const std::string& suffix) {
  const std::vector<std::string> lines = run.lines();
  return size_t(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.size() >= suffix.size() &&
           line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
  }));
}

}  // namespace

class StemporaBatchCancel : public testing::TestWithParam<int> {};

TEST_P(StemporaBatchCancel, SignalMidRunFinishesTheSourcesInFlightAndLeavesNoPartialFile) {
  const int signal_number = GetParam();
  // Many links to one large picture: a long run that costs little to set
  // up, and every complete output has the same bytes.
  constexpr int kSources = 120;
  ScratchFolder folder;
  const std::string first = folder.file("src/000.jpg");
  write_picture(first, 2400, 1600, 24, PIXKIT_FORMAT_JPG);
  std::vector<std::string> sources = {first};
  for (int i = 1; i < kSources; ++i) {
    sources.push_back(folder.file("src/" + std::to_string(1000 + i).substr(1) + ".jpg"));
    fs::create_hard_link(first, sources.back());
  }
  write_job(folder.file("job.stx"), sources, "W");
  const std::string source_bytes = read_text(first);

  BatchProcess batch({"--jobs", "2", "job.stx"}, folder.path());
  // The run is under way once a first output is complete.
  ASSERT_TRUE(batch.wait_for_line_ending(" geschrieben..."));
  batch.send(signal_number);
  const BatchRun run = batch.finish();

  EXPECT_EQ(run.exit_code, 128 + signal_number) << run.err;
  ASSERT_FALSE(run.lines().empty());
  EXPECT_EQ(run.lines().back(), "Abgebrochen...");
  const size_t written = count_lines_ending(run, " geschrieben...");
  EXPECT_EQ(count_lines_ending(run, " geladen..."), written) << "a source in flight was dropped";
  EXPECT_LT(written, size_t(kSources)) << "the signal came too late to cancel anything";

  const std::string complete_output = read_text(folder.file("src/W/000.jpg"));
  ASSERT_FALSE(complete_output.empty());
  size_t outputs = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder.path() / "src/W")) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(name[0], '.') << "temporary file left behind: " << name;
    EXPECT_EQ(read_text(entry.path().string()), complete_output) << name;
    ++outputs;
  }
  EXPECT_EQ(outputs, written);

  EXPECT_EQ(read_text(first), source_bytes);
  EXPECT_EQ(fs::hard_link_count(first), uintmax_t(kSources));
  size_t source_folder_entries = 0;
  for (auto it = fs::directory_iterator(folder.path() / "src"); it != fs::directory_iterator(); ++it)
    ++source_folder_entries;
  EXPECT_EQ(source_folder_entries, size_t(kSources) + 1) << "sources and the output folder, nothing else";
}

INSTANTIATE_TEST_SUITE_P(StemporaBatch, StemporaBatchCancel, testing::Values(SIGINT, SIGTERM),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM");
                         });

TEST(StemporaBatch, TerminalOnStandardErrorGetsAProgressLineThatIsClearedAtTheEnd) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 5; ++i) {
    sources.push_back(folder.file(std::to_string(i) + ".bmp"));
    write_bmp(sources.back());
  }
  write_job(folder.file("job.stx"), sources, "W");

  int terminal = -1;
  int terminal_side = -1;
  ASSERT_EQ(openpty(&terminal, &terminal_side, nullptr, nullptr, nullptr), 0);
  std::string shown;
  std::thread reader([&] {
    char buffer[4096];
    ssize_t count = 0;
    while ((count = read(terminal, buffer, sizeof buffer)) > 0) shown.append(buffer, size_t(count));
  });
  BatchRun run;
  {
    BatchProcess batch({"job.stx"}, folder.path(), terminal_side);
    close(terminal_side);
    run = batch.finish();
  }
  reader.join();
  close(terminal);

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.lines().size(), 11u) << "the log on a pipe stays as it is";
  const std::string last = "5/5 Dateien fertig, 100 %";
  EXPECT_NE(shown.find("\r1/5 Dateien fertig, "), std::string::npos) << shown;
  EXPECT_NE(shown.find(last), std::string::npos) << shown;
  EXPECT_EQ(shown.substr(shown.find(last)), last + "\r" + std::string(last.size(), ' ') + "\r");
}
