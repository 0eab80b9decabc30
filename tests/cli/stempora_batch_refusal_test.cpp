// SPDX-License-Identifier: GPL-3.0-or-later
// Every way an output could land on a listed source, or outside the
// source's folder, refuses the run before anything is created, loaded or
// written.
#include <gtest/gtest.h>

#include "cli_scratch_job.h"

using namespace cli_test;

namespace {

constexpr char kRefusal[] =
    "Die Zieldateien würden Quelldateien überschreiben. Bitte einen anderen Namen für das Unterverzeichnis "
    "wählen.\n";

size_t count_entries(const fs::path& folder) {
  size_t count = 0;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
    ++count;
  return count;
}

// Runs the job and checks the refusal: exit 2, the message naming the
// source as listed, no log, the source's bytes and the folder's entries
// unchanged.
void expect_refused(const ScratchFolder& folder, const std::string& source, std::string listed = "",
                    const std::vector<std::string>& arguments = {"job.stx"}) {
  if (listed.empty()) listed = source;
  const std::string before = read_text(source);
  const size_t entries = count_entries(folder.path());
  const BatchRun run = run_batch(arguments, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, kRefusal + ("Zuerst betroffen: " + listed + "\n"));
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(read_text(source), before);
  EXPECT_EQ(count_entries(folder.path()), entries);
}

}  // namespace

class StemporaBatchRefusal : public testing::TestWithParam<const char*> {};

TEST_P(StemporaBatchRefusal, NameLeadingBackToTheSourceIsRefused) {
  ScratchFolder folder;
  write_bmp(folder.file("bilder/a.bmp"));
  write_job(folder.file("job.stx"), {folder.file("bilder/a.bmp")}, GetParam());
  expect_refused(folder, folder.file("bilder/a.bmp"));
}

INSTANTIATE_TEST_SUITE_P(StemporaBatch, StemporaBatchRefusal,
                         testing::Values("", ".", "./", "a/..", "a\\..", "Neu/../."));

TEST(StemporaBatch, ParentFolderHoldingAListedSourceIsRefused) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  write_bmp(folder.file("unter/a.bmp"));
  write_job(folder.file("job.stx"), {folder.file("unter/a.bmp"), folder.file("a.bmp")}, "..");
  expect_refused(folder, folder.file("a.bmp"));
}

TEST(StemporaBatch, PictureAndAFileInItsOutputFolderAreRefused) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  write_bmp(folder.file("W/a.bmp"));
  write_job(folder.file("job.stx"), {folder.file("a.bmp"), folder.file("W/a.bmp")}, "W");
  expect_refused(folder, folder.file("W/a.bmp"));
}

TEST(StemporaBatch, LinkBackToTheSourceFolderIsRefused) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  fs::create_directory_symlink(".", folder.path() / "hier");
  write_job(folder.file("job.stx"), {folder.file("a.bmp")}, "hier");
  expect_refused(folder, folder.file("a.bmp"));
}

TEST(StemporaBatch, SourceListedThroughALinkIsRefused) {
  ScratchFolder folder;
  write_bmp(folder.file("echt/a.bmp"));
  write_bmp(folder.file("echt/W/a.bmp"));
  fs::create_directory_symlink(folder.path() / "echt", folder.path() / "verweis");
  write_job(folder.file("job.stx"), {folder.file("echt/a.bmp"), folder.file("verweis/W/a.bmp")}, "W");
  expect_refused(folder, folder.file("echt/W/a.bmp"), folder.file("verweis/W/a.bmp"));
}

TEST(StemporaBatch, LinkBehindAFolderStillToBeCreatedIsRefused) {
  // "neu" is created by the run, so "neu/../link" is the link beside the
  // source, which leads to the other listed picture's folder.
  ScratchFolder folder;
  write_bmp(folder.file("a/x.bmp"));
  write_bmp(folder.file("b/x.bmp"));
  fs::create_directory_symlink(folder.path() / "b", folder.path() / "a/link");
  write_job(folder.file("job.stx"), {folder.file("a/x.bmp"), folder.file("b/x.bmp")}, "neu/../link");
  expect_refused(folder, folder.file("b/x.bmp"));
}

TEST(StemporaBatch, DryRunAndOutputFolderOptionAreRefusedLikeTheRun) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  write_bmp(folder.file("W/a.bmp"));
  write_job(folder.file("job.stx"), {folder.file("a.bmp"), folder.file("W/a.bmp")}, "Anders");
  expect_refused(folder, folder.file("W/a.bmp"), "", {"--dry-run", "--out-dir", "W", "job.stx"});
  expect_refused(folder, folder.file("W/a.bmp"), "", {"--out-dir=W", "job.stx"});
  // A shard refuses whenever the whole job would, even when its own share
  // (here W/a.bmp alone) would overwrite nothing: all shards run or none.
  expect_refused(folder, folder.file("W/a.bmp"), "", {"--shard", "2/2", "--out-dir=W", "job.stx"});
}

TEST(StemporaBatch, OutputFolderNamesLeavingTheSourceFolderAreRefused) {
  ScratchFolder folder;
  write_bmp(folder.file("fotos/a.bmp"));
  write_job(folder.file("fotos/job.stx"), {"a.bmp"}, "..\\raus");
  const struct {
    std::vector<std::string> arguments;
    std::string name;
  } refused[] = {
      {{"fotos/job.stx"}, "..\\raus"},
      {{"--dry-run", "fotos/job.stx"}, "..\\raus"},
      {{"--out-dir", "W/../../raus", "fotos/job.stx"}, "W/../../raus"},
  };
  for (const auto& [arguments, name] : refused) {
    const BatchRun run = run_batch(arguments, folder.path());
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(
        run.err,
        "Der Name des Unterverzeichnisses führt mit \"..\" aus dem Ordner der Quelldateien hinaus. Bitte "
        "einen Namen für ein Unterverzeichnis wählen.\nName: " +
            name + "\n");
    EXPECT_EQ(run.out, "");
  }
  // On a command line "/" starts an absolute path, which the run would
  // have taken as a subfolder.
  const BatchRun absolute = run_batch({"--out-dir", folder.file("raus"), "fotos/job.stx"}, folder.path());
  EXPECT_EQ(absolute.exit_code, 2);
  EXPECT_EQ(
      absolute.err.rfind("stempora-batch: --out-dir erwartet den Namen eines Unterverzeichnisses, nicht", 0),
      0u)
      << absolute.err;
  EXPECT_EQ(files_below(folder.path()).size(), 2u);
  EXPECT_FALSE(fs::exists(folder.path() / "raus"));
}
