// SPDX-License-Identifier: GPL-3.0-or-later
// stempora-batch on real pictures: which sources it takes, where their
// outputs go, the log it prints and its exit code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli_scratch_job.h"

using namespace cli_test;

TEST(StemporaBatch, ExtensionsMatchIgnoringCaseAndOthersArePassedOver) {
  ScratchFolder folder;
  const std::vector<std::string> recognised = {folder.file("ja/a.JPG"), folder.file("ja/b.Tif"),
                                               folder.file("ja/c.bmp")};
  const std::vector<std::string> passed_over = {folder.file("nein1/d.j2k"), folder.file("nein2/e.png"),
                                                folder.file("nein3/f.webp"), folder.file("nein4/ohnepunkt")};
  std::vector<std::string> sources;
  for (const std::string& path : recognised) write_bmp(path), sources.push_back(path);
  for (const std::string& path : passed_over) write_bmp(path), sources.push_back(path);
  write_job(folder.file("job.stx"), sources, "Wasserzeichen");

  const BatchRun run = run_batch({"job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  std::vector<std::string> expected;
  for (const std::string& path : recognised) {
    expected.push_back(path + " geladen...");
    expected.push_back(folder.path().string() + "/ja/Wasserzeichen/" + fs::path(path).filename().string() +
                       " geschrieben...");
  }
  for (const std::string& path : passed_over)
    expected.push_back(path + " übersprungen: dieser Dateityp wird nicht bearbeitet");
  expected.push_back("Fertig...");
  EXPECT_EQ(run.lines(), expected);
  for (const std::string& path : recognised) {
    EXPECT_TRUE(fs::exists(folder.path() / "ja/Wasserzeichen" / fs::path(path).filename())) << path;
  }
  for (const char* name : {"nein1", "nein2", "nein3", "nein4"}) {
    EXPECT_FALSE(fs::exists(folder.path() / name / "Wasserzeichen")) << name;
  }
}

TEST(StemporaBatch, NestedOutputFoldersAreCreatedAlsoFromBackslashes) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  write_job(folder.file("job.stx"), {folder.file("a.bmp")}, "Neu\\Klein\\");
  const BatchRun run = run_batch({"--jobs", "2", "job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ASSERT_EQ(run.lines().size(), 3u);
  EXPECT_EQ(run.lines()[1], folder.path().string() + "/Neu/Klein/a.bmp geschrieben...");
  EXPECT_TRUE(fs::is_regular_file(folder.path() / "Neu/Klein/a.bmp"));
}

TEST(StemporaBatch, SameNameInTwoFoldersAndDuplicatesKeepTheLogOrder) {
  ScratchFolder folder;
  const std::string x = folder.file("x/a.bmp");
  const std::string y = folder.file("y/a.bmp");
  write_bmp(x);
  write_bmp(y);
  write_job(folder.file("job.stx"), {x, y, x}, "W");
  const BatchRun run = run_batch({"job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::string base = folder.path().string();
  EXPECT_EQ(run.lines(), (std::vector<std::string>{
                             x + " geladen...",
                             base + "/x/W/a.bmp geschrieben...",  //
                             y + " geladen...",
                             base + "/y/W/a.bmp geschrieben...",  //
                             x + " geladen...",
                             base + "/x/W/a.bmp geschrieben...",  //
                             "Fertig...",
                         }));
  EXPECT_EQ(run.err, "");
}

TEST(StemporaBatch, RelativeSourcesAreFoundBesideTheJobFile) {
  ScratchFolder folder;
  write_bmp(folder.file("auftrag/bilder/a.bmp"));
  write_job(folder.file("auftrag/job.stx"), {"bilder/a.bmp"}, "W");
  const BatchRun run = run_batch({"auftrag/job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder.path() / "auftrag/bilder/W/a.bmp"));
}

TEST(StemporaBatch, TextWatermarkRunsWithoutADisplay) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  write_job(folder.file("job.stx"), {folder.file("a.bmp")}, "W", /*add_text=*/true);
  const BatchRun run = run_batch({"job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder.path() / "W/a.bmp"));
}

TEST(StemporaBatch, UnreadableSourceIsReportedAndExitsOne) {
  ScratchFolder folder;
  std::ofstream(folder.file("kaputt.tga")) << "kein Bild";
  write_bmp(folder.file("gut.bmp"));
  write_job(folder.file("job.stx"), {folder.file("kaputt.tga"), folder.file("gut.bmp")}, "W");
  const BatchRun run = run_batch({"job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  ASSERT_EQ(run.lines().size(), 4u);
  EXPECT_EQ(run.lines()[0], "Fehler: Die Datei " + folder.file("kaputt.tga") +
                                " konnte nicht geladen werden! (Dateiformat nicht erkannt)");
  EXPECT_EQ(run.lines()[3], "Fertig...");
  EXPECT_FALSE(fs::exists(folder.path() / "W/kaputt.tga"));
}

TEST(StemporaBatch, FailedSaveIsReportedAndExitsOne) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  std::ofstream(folder.file("W")) << "eine Datei, wo der Ordner hin soll";
  write_job(folder.file("job.stx"), {folder.file("a.bmp")}, "W");
  const BatchRun run = run_batch({"job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.lines(), (std::vector<std::string>{
                             folder.file("a.bmp") + " geladen...",
                             "Fehler: Die Datei " + folder.path().string() +
                                 "/W/a.bmp konnte nicht geschrieben werden! (Ordner nicht gefunden)",
                             "Fertig...",
                         }));
}

TEST(StemporaBatch, AReaderThatStopsEarlyDoesNotStopThePictures) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (int i = 0; i < 40; ++i) {
    sources.push_back(folder.file("q/" + std::to_string(i) + ".bmp"));
    write_bmp(sources.back());
  }
  write_job(folder.file("job.stx"), sources, "W");
  std::ofstream(folder.file("pipe.sh")) << "\"$1\" job.stx | head -n 1 >first.txt\n"
                                           "echo \"${PIPESTATUS[0]}\" >status.txt\n";
  const std::string command = "cd '" + folder.path().string() + "' && bash pipe.sh '" STEMPORA_BATCH_EXE "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_text(folder.file("status.txt")), "0\n");
  EXPECT_EQ(read_text(folder.file("first.txt")), sources[0] + " geladen...\n");
  for (int i = 0; i < 40; ++i)
    EXPECT_TRUE(fs::exists(folder.path() / "q/W" / (std::to_string(i) + ".bmp"))) << i;
}
