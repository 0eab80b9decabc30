#include <gtest/gtest.h>

#include <fstream>

#include "cli_scratch_job.h"
#include "command_line.h"

using namespace cli_test;

TEST(StemporaBatch, ParsesJobFileAndJobsOption) {
  BatchCommandLine line = ParseBatchCommandLine({"--jobs", "4", "a.stx"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.jobs, 4);
  EXPECT_EQ(line.job_file, "a.stx");
  line = ParseBatchCommandLine({"--jobs=2", "--", "-seltsam.stx"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.job_file, "-seltsam.stx");
}

TEST(StemporaBatch, RejectsMissingOrExtraArguments) {
  EXPECT_NE(ParseBatchCommandLine({}).error, "");
  EXPECT_NE(ParseBatchCommandLine({"a.stx", "b.stx"}).error, "");
  EXPECT_NE(ParseBatchCommandLine({"--jobs"}).error, "");
  EXPECT_NE(ParseBatchCommandLine({"--jobs", "0", "a.stx"}).error, "");
  EXPECT_NE(ParseBatchCommandLine({"--jobs", "3x", "a.stx"}).error, "");
  EXPECT_NE(ParseBatchCommandLine({"--schnell", "a.stx"}).error, "");
}

TEST(StemporaBatch, HelpExplainsItself) {
  ScratchFolder folder;
  const BatchRun run = run_batch({"--help"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.out.find("Aufruf: stempora-batch [--jobs N] AUFTRAG.stx"), std::string::npos);
  EXPECT_NE(run.out.find("Rückgabewert"), std::string::npos);
  EXPECT_NE(run.out.find("\"Wasserzeichen hinzufügen...\""), std::string::npos);
  EXPECT_NE(run.out.find("Ein relativer Quellpfad wird erst beim Lauf geöffnet"), std::string::npos);
}

TEST(StemporaBatch, BadArgumentsExitTwoWithUsage) {
  ScratchFolder folder;
  const BatchRun run = run_batch({"--jobs", "viele", "a.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("Aufruf:"), std::string::npos);
  EXPECT_EQ(run.out, "");
}

TEST(StemporaBatch, MissingJobFileExitsTwo) {
  ScratchFolder folder;
  const BatchRun run = run_batch({"fehlt.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "Die Datei fehlt.stx konnte nicht geöffnet werden.\n");
}

TEST(StemporaBatch, DamagedJobFileExitsTwoAndWritesNothing) {
  ScratchFolder folder;
  const std::string source = folder.file("a.bmp");
  write_bmp(source);
  write_job(folder.file("job.stx"), {source}, "W");
  const std::string whole = read_text(folder.file("job.stx"));
  std::ofstream(folder.file("job.stx"), std::ios::binary | std::ios::trunc)
      << whole.substr(0, whole.size() - 40);
  const BatchRun run = run_batch({"job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "Die Datei job.stx ist beschädigt und wurde nicht geladen.\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(fs::exists(folder.path() / "W"));
}
