// SPDX-License-Identifier: GPL-3.0-or-later
// Several workers and several shards change how a job is carried out,
// never what it writes or logs.
#include <gtest/gtest.h>

#include <fstream>

#include "cli_scratch_job.h"

using namespace cli_test;

namespace {

// The files below folder that lie in an output folder named out_dir, by
// their path with that folder level written as "OUT".
std::map<std::string, std::string> outputs_named(const fs::path& folder, const std::string& out_dir) {
  std::map<std::string, std::string> outputs;
  for (const auto& [name, bytes] : files_below(folder)) {
    fs::path renamed;
    bool in_output = false;
    for (const fs::path& level : fs::path(name)) {
      in_output = in_output || level == out_dir;
      renamed /= level == out_dir ? fs::path("OUT") : level;
    }
    if (in_output) outputs[renamed.string()] = bytes;
  }
  return outputs;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

TEST(StemporaBatchWorkers, FourWorkersWriteAndLogExactlyWhatOneDoes) {
  ScratchFolder folder;
  // A large picture first, so that later small ones finish before it on
  // the other workers and their lines have to wait.
  std::vector<std::string> sources = {folder.file("mix/gross.jpg")};
  write_picture(sources.back(), 900, 700, 24, PIXKIT_FORMAT_JPG);
  const struct {
    const char* name;
    int bits;
    int format;
  } pictures[] = {
      {"klein.bmp", 24, PIXKIT_FORMAT_BMP}, {"palette.gif", 8, PIXKIT_FORMAT_GIF},
      {"farbe.tga", 24, PIXKIT_FORMAT_TGA}, {"palette.pcx", 8, PIXKIT_FORMAT_PCX},
      {"farbe.tif", 24, PIXKIT_FORMAT_TIF}, {"palette.iff", 8, PIXKIT_FORMAT_IFF},
      {"farbe.jp2", 24, PIXKIT_FORMAT_JP2}, {"farbe.rle", 8, PIXKIT_FORMAT_RLE},
  };
  for (const auto& picture : pictures) {
    sources.push_back(folder.file(std::string("mix/") + picture.name));
    write_picture(sources.back(), 61, 37, picture.bits, picture.format);
  }
  std::ofstream(folder.file("mix/kaputt.tga")) << "kein Bild";
  write_bmp(folder.file("mix/logo.png"));
  sources.insert(sources.begin() + 3, {folder.file("mix/kaputt.tga"), folder.file("mix/logo.png"),
                                       folder.file("mix/fehlt.bmp"), sources[1]});
  write_job(folder.file("job.stx"), sources, "W", /*add_text=*/true);

  const BatchRun one = run_batch({"--jobs", "1", "--out-dir", "Eins", "job.stx"}, folder.path());
  const BatchRun four = run_batch({"--jobs", "4", "--out-dir", "Vier", "job.stx"}, folder.path());
  EXPECT_EQ(one.exit_code, 1) << one.err;
  EXPECT_EQ(four.exit_code, 1) << four.err;
  ASSERT_EQ(one.lines().size(), 2 * 10 + 2 + 1 + 1) << one.out;
  EXPECT_EQ(replaced(one.out, "/Eins/", "/Vier/"), four.out);
  EXPECT_EQ(one.err, four.err);
  const auto outputs = outputs_named(folder.path(), "Eins");
  EXPECT_EQ(outputs.size(), 9u);
  EXPECT_EQ(outputs, outputs_named(folder.path(), "Vier"));
}

TEST(StemporaBatchWorkers, ShardsTogetherWriteExactlyWhatTheWholeJobWrites) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 8; ++i) {
    sources.push_back(folder.file((i % 2 ? "a/" : "b/") + std::to_string(i) + ".bmp"));
    write_picture(sources.back(), 20 + i, 10 + i, 24, PIXKIT_FORMAT_BMP);
  }
  write_bmp(folder.file("a/logo.png"));
  sources.insert(sources.begin() + 4, folder.file("a/logo.png"));
  write_job(folder.file("job.stx"), sources, "W");

  const BatchRun whole = run_batch({"--out-dir", "Ganz", "job.stx"}, folder.path());
  ASSERT_EQ(whole.exit_code, 0) << whole.err;
  size_t shard_lines = 0;
  for (const char* shard : {"1/3", "2/3", "3/3"}) {
    const BatchRun part = run_batch({"--shard", shard, "--out-dir", "Teil", "job.stx"}, folder.path());
    ASSERT_EQ(part.exit_code, 0) << shard << part.err;
    ASSERT_EQ(part.lines().back(), "Fertig...");
    shard_lines += part.lines().size() - 1;
  }
  EXPECT_EQ(shard_lines, whole.lines().size() - 1) << "a source was handled by no shard or by two";
  const auto outputs = outputs_named(folder.path(), "Ganz");
  EXPECT_EQ(outputs.size(), 8u);
  EXPECT_EQ(outputs, outputs_named(folder.path(), "Teil"));
}
