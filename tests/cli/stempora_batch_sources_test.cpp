// SPDX-License-Identifier: GPL-3.0-or-later
// What the command line changes about a job: its list of sources (after
// the job file, from a file or from standard input), its output folder
// and JPEG quality; --dry-run and --quiet.
#include <gtest/gtest.h>

#include <fstream>

#include "cli_scratch_job.h"
#include "support/owned_dib.h"

using namespace cli_test;
using testsupport::OwnedDib;
using namespace std::string_literals;

namespace {

// A job in auftrag/ listing its own picture, and two pictures in fotos/
// that the command line can name instead.
struct JobAndOtherPictures : ScratchFolder {
  JobAndOtherPictures() {
    write_bmp(file("auftrag/bilder/a.bmp"));
    write_bmp(file("fotos/b.bmp"));
    write_bmp(file("fotos/c d.bmp"));
    write_job(file("auftrag/job.stx"), {"bilder/a.bmp"}, "W");
  }
  // The log of a run over fotos/b.bmp and fotos/c d.bmp, named as given.
  static std::vector<std::string> log_of_other_pictures() {
    return {"fotos/b.bmp geladen...", "fotos/W/b.bmp geschrieben...", "fotos/c d.bmp geladen...",
            "fotos/W/c d.bmp geschrieben...", "Fertig..."};
  }
  void expect_only_other_pictures_written(const BatchRun& run) const {
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.lines(), log_of_other_pictures());
    EXPECT_TRUE(fs::exists(path() / "fotos/W/b.bmp"));
    EXPECT_TRUE(fs::exists(path() / "fotos/W/c d.bmp"));
    EXPECT_FALSE(fs::exists(path() / "auftrag/bilder/W")) << "the job's own list was run";
  }
};

}  // namespace

TEST(StemporaBatchSources, SourcesAfterTheJobFileReplaceItsListAndOpenFromTheCurrentFolder) {
  JobAndOtherPictures folder;
  folder.expect_only_other_pictures_written(
      run_batch({"auftrag/job.stx", "fotos/b.bmp", "fotos/c d.bmp"}, folder.path()));
}

TEST(StemporaBatchSources, SourceListFromAFileOrStandardInputTakesOnePathPerLine) {
  const std::string list = "fotos/b.bmp\r\n\r\n\nfotos/c d.bmp";
  JobAndOtherPictures from_file;
  std::ofstream(from_file.file("liste.txt"), std::ios::binary) << list;
  from_file.expect_only_other_pictures_written(
      run_batch({"--sources-from", "liste.txt", "auftrag/job.stx"}, from_file.path()));
  JobAndOtherPictures from_input;
  from_input.expect_only_other_pictures_written(
      run_batch({"--sources-from=-", "auftrag/job.stx"}, from_input.path(), list));
}

TEST(StemporaBatchSources, UnusableSourceListExitsTwoAndWritesNothing) {
  JobAndOtherPictures folder;
  BatchRun run = run_batch({"--sources-from", "fehlt.txt", "auftrag/job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "Die Datei fehlt.txt konnte nicht geöffnet werden.\n");
  EXPECT_EQ(run.out, "");

  // A NUL would cut the name short, and the shorter name is another file.
  run = run_batch({"--sources-from", "-", "auftrag/job.stx"}, folder.path(),
                  "fotos/b.bmp\nfotos/b.bmp\0.txt\n"s);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err,
            "Die Datei (Standardeingabe) enthält in Zeile 2 ein Nullzeichen und wurde nicht verwendet.\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(fs::exists(folder.path() / "fotos/W"));
}

TEST(StemporaBatchSources, EndlessOrOverlongSourceListsAreRefusedAtTheFirstBadLine) {
  // /dev/zero never ends: the list used to be read whole until memory ran
  // out and the program died on the uncaught bad_alloc.
  JobAndOtherPictures folder;
  BatchRun run = run_batch({"--sources-from", "/dev/zero", "auftrag/job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "Die Datei /dev/zero enthält in Zeile 1 ein Nullzeichen und wurde nicht verwendet.\n");

  run = run_batch({"--sources-from", "-", "auftrag/job.stx"}, folder.path(),
                  "fotos/b.bmp\r\n" + std::string(4096, 'a') + "\r\n");
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(
      run.err,
      "Die Datei (Standardeingabe) enthält in Zeile 2 einen Pfad mit mehr als 4095 Bytes und wurde nicht "
      "verwendet.\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(fs::exists(folder.path() / "fotos/W"));
}

TEST(StemporaBatchSources, DryRunListsWhatWouldBeWrittenAndTouchesNothing) {
  ScratchFolder folder;
  write_bmp(folder.file("a.bmp"));
  write_bmp(folder.file("b.png"));
  write_job(folder.file("job.stx"), {folder.file("a.bmp"), folder.file("b.png"), folder.file("fehlt.jpg")},
            "W");
  const auto before = files_below(folder.path());
  const BatchRun run = run_batch({"--dry-run", "--out-dir", "Neu", "job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // Nothing is loaded: a missing source is listed like any other.
  const std::string base = folder.path().string();
  EXPECT_EQ(run.lines(), (std::vector<std::string>{
                             base + "/a.bmp -> " + base + "/Neu/a.bmp",
                             base + "/b.png übersprungen: dieser Dateityp wird nicht bearbeitet",
                             base + "/fehlt.jpg -> " + base + "/Neu/fehlt.jpg",
                         }));
  EXPECT_EQ(files_below(folder.path()), before);
  EXPECT_FALSE(fs::exists(folder.path() / "Neu"));
}

TEST(StemporaBatchSources, QuietKeepsOnlyTheErrorLines) {
  ScratchFolder folder;
  std::ofstream(folder.file("kaputt.tga")) << "kein Bild";
  write_bmp(folder.file("gut.bmp"));
  write_job(folder.file("job.stx"), {folder.file("kaputt.tga"), folder.file("gut.bmp")}, "W");
  const BatchRun run = run_batch({"--quiet", "job.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "Fehler: Die Datei " + folder.file("kaputt.tga") +
                         " konnte nicht geladen werden! (Dateiformat nicht erkannt)\n");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(fs::exists(folder.path() / "W/gut.bmp"));
}

TEST(StemporaBatchSources, QualityOptionReachesTheJpegWriter) {
  ScratchFolder folder;
  const std::string source = folder.file("a.jpg");
  write_picture(source, 64, 48, 24, PIXKIT_FORMAT_JPG);
  write_job(folder.file("job.stx"), {source}, "W");
  const BatchRun run = run_batch({"--quality", "20", "job.stx"}, folder.path());
  ASSERT_EQ(run.exit_code, 0) << run.err;

  // With both watermarks off the output is the source saved again.
  OwnedDib loaded(OpenDib(source.c_str(), 0, nullptr));
  PixkitCallOptions options = PixkitCallOptionsInit();
  options.jpeg_quality = 20;
  const std::string expected = folder.file("erwartet.jpg");
  ASSERT_EQ(SaveDibWith(&loaded.dib, expected.c_str(), PIXKIT_FORMAT_JPG, &options, nullptr), 1);
  EXPECT_EQ(read_text(folder.file("W/a.jpg")), read_text(expected));
}
