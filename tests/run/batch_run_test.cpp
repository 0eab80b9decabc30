// SPDX-License-Identifier: GPL-3.0-or-later
// RunBatch on real files: the steps, the log lines and what lands on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "batch_scratch_folder.h"
#include "image/dib_access.h"
#include "run/batch.h"

using batch_test::ScratchFolder;
using batch_test::plain_job;
using batch_test::Logged;
using batch_test::write_picture;
namespace fs = std::filesystem;

TEST(Batch, EmptyListLogsOnlyFertig) {
  Logged log;
  const BatchOutcome outcome = RunBatch(plain_job({}), log.sink());
  EXPECT_EQ(log.lines, std::vector<std::string>{"Fertig..."});
  EXPECT_FALSE(outcome.refused);
  EXPECT_EQ(outcome.sources_written, 0);
}

TEST(Batch, RefusedRunLogsNothingAndCreatesNothing) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.bmp"), 24, PIXKIT_FORMAT_BMP));
  WatermarkJob job = plain_job({folder.file("a.bmp")});
  job.out_dir = ".";
  Logged log;
  const BatchOutcome outcome = RunBatch(job, log.sink());
  EXPECT_TRUE(outcome.refused);
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(Batch, UnreadableSourceIsLoggedAndTheRunGoesOn) {
  ScratchFolder folder;
  std::ofstream(folder.file("kaputt.bmp")) << "kein Bild";
  ASSERT_TRUE(write_picture(folder.file("gut.bmp"), 24, PIXKIT_FORMAT_BMP));
  Logged log;
  const BatchOutcome outcome =
      RunBatch(plain_job({folder.file("kaputt.bmp"), folder.file("gut.bmp")}), log.sink());
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "Fehler: Die Datei " + folder.file("kaputt.bmp") +
                               " konnte nicht geladen werden! (Dateiformat nicht erkannt)",
                           folder.file("gut.bmp") + " geladen...",
                           folder.file("Wasserzeichen/gut.bmp") + " geschrieben...",
                           "Fertig...",
                       }));
  EXPECT_EQ(outcome.sources_failed, 1);
  EXPECT_EQ(outcome.sources_written, 1);
  EXPECT_FALSE(fs::exists(folder.file("Wasserzeichen/kaputt.bmp")));
}

TEST(Batch, FailedSaveIsLoggedInsteadOfWritten) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.bmp"), 24, PIXKIT_FORMAT_BMP));
  std::ofstream(folder.file("Wasserzeichen")) << "eine Datei, kein Ordner";
  Logged log;
  const BatchOutcome outcome = RunBatch(plain_job({folder.file("a.bmp")}), log.sink());
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           folder.file("a.bmp") + " geladen...",
                           "Fehler: Die Datei " + folder.file("Wasserzeichen/a.bmp") +
                               " konnte nicht geschrieben werden! (Ordner nicht gefunden)",
                           "Fertig...",
                       }));
  EXPECT_EQ(outcome.sources_failed, 1);
}

TEST(Batch, LoadFailuresSayWhyAndPipesAreNotWaitedFor) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("halb.bmp"), 24, PIXKIT_FORMAT_BMP));
  fs::resize_file(folder.file("halb.bmp"), 60);
  ASSERT_EQ(::mkfifo(folder.file("rohr.bmp").c_str(), 0600), 0);
  Logged log;
  const BatchOutcome outcome = RunBatch(
      plain_job({folder.file("fehlt.bmp"), folder.file("halb.bmp"), folder.file("rohr.bmp")}), log.sink());
  const std::string start = "Fehler: Die Datei ";
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{
                start + folder.file("fehlt.bmp") + " konnte nicht geladen werden! (Datei nicht gefunden)",
                start + folder.file("halb.bmp") + " konnte nicht geladen werden! (Daten beschädigt)",
                start + folder.file("rohr.bmp") + " konnte nicht geladen werden! (keine reguläre Datei)",
                "Fertig...",
            }));
  EXPECT_EQ(outcome.sources_failed, 3);
}

TEST(Batch, ControlCharactersInNamesAreEscapedSoEachSourceIsOneLine) {
  ScratchFolder folder;
  // A line break, a control byte and a backslash, which stays as it is.
  ASSERT_TRUE(write_picture(folder.file("zwei\nZeilen\x01\\.bmp"), 24, PIXKIT_FORMAT_BMP));
  Logged log;
  RunBatch(plain_job({folder.file("zwei\nZeilen\x01\\.bmp")}), log.sink());
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           folder.file("zwei\\nZeilen\\x01\\.bmp") + " geladen...",
                           folder.file("Wasserzeichen/zwei\\nZeilen\\x01\\.bmp") + " geschrieben...",
                           "Fertig...",
                       }));
  EXPECT_TRUE(fs::exists(folder.file("Wasserzeichen/zwei\nZeilen\x01\\.bmp")));
}

TEST(Batch, WithoutWatermarksTheSourceIsWrittenWithItsPixels) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.tga"), 24, PIXKIT_FORMAT_TGA));
  Logged log;
  RunBatch(plain_job({folder.file("a.tga")}), log.sink());
  TDibImage in = OpenDib(folder.file("a.tga").c_str(), 0, nullptr);
  TDibImage out = OpenDib(folder.file("Wasserzeichen/a.tga").c_str(), 0, nullptr);
  ASSERT_NE(out.Bits, nullptr);
  EXPECT_EQ(DibBitCount(out), 24);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(getpixel(&out, x, y), getpixel(&in, x, y));
  }
  deldib(&in);
  deldib(&out);
}

// The depth it is written at is the reduction's (8 bits once palette
// reduction is in; 24 until then).
TEST(Batch, PaletteSourceIsPromotedStampedAndWritten) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("p.bmp"), 8, PIXKIT_FORMAT_BMP));
  WatermarkJob job = plain_job({folder.file("p.bmp")});
  job.add_text = true;
  job.text.text = "X";
  Logged log;
  EXPECT_EQ(RunBatch(job, log.sink()).sources_written, 1);
  TDibImage out = OpenDib(folder.file("Wasserzeichen/p.bmp").c_str(), 0, nullptr);
  ASSERT_NE(out.Bits, nullptr);
  EXPECT_EQ(DibWidth(out), 3);
  EXPECT_EQ(DibHeight(out), 2);
  deldib(&out);
}

TEST(Batch, PictureWatermarkChangesTheOutput) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.bmp"), 24, PIXKIT_FORMAT_BMP));
  TDibImage mark = newdib(3, 2, 24, nullptr, 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) setpixel(&mark, x, y, 0xFFFFFF);
  }
  WatermarkJob job = plain_job({folder.file("a.bmp")});
  job.add_picture = true;
  job.watermark = &mark;
  job.picture.position = 10;
  job.picture.margin = 0;
  job.picture.transparency = 0;
  Logged log;
  RunBatch(job, log.sink());
  deldib(&mark);
  TDibImage out = OpenDib(folder.file("Wasserzeichen/a.bmp").c_str(), 0, nullptr);
  ASSERT_NE(out.Bits, nullptr);
  EXPECT_EQ(getpixel(&out, 0, 0), 0xFFFFFFu);
  deldib(&out);
}

TEST(Batch, OtherFileTypesAreLoggedAsPassedOverAndGetNoFolder) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.png"), 24, PIXKIT_FORMAT_BMP));
  Logged log;
  const BatchOutcome outcome = RunBatch(plain_job({folder.file("a.png"), folder.file("ohne")}), log.sink());
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           folder.file("a.png") + " übersprungen: dieser Dateityp wird nicht bearbeitet",
                           folder.file("ohne") + " übersprungen: dieser Dateityp wird nicht bearbeitet",
                           "Fertig...",
                       }));
  EXPECT_EQ(outcome.sources_skipped, 2);
  EXPECT_EQ(outcome.sources_failed, 0);
  EXPECT_FALSE(fs::exists(folder.file("Wasserzeichen")));
}

TEST(Batch, LongSpellingsJpegAndTiffAreWrittenInTheirFormatsUnderTheirNames) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.JPEG"), 24, PIXKIT_FORMAT_JPG));
  ASSERT_TRUE(write_picture(folder.file("b.tiff"), 24, PIXKIT_FORMAT_TIF));
  Logged log;
  const BatchOutcome outcome =
      RunBatch(plain_job({folder.file("a.JPEG"), folder.file("b.tiff")}), log.sink());
  EXPECT_EQ(outcome.sources_written, 2);
  for (const char* name : {"a.JPEG", "b.tiff"}) {
    TDibImage out = OpenDib(folder.file(std::string("Wasserzeichen/") + name).c_str(), 0, nullptr);
    EXPECT_NE(out.Bits, nullptr) << name;
    deldib(&out);
  }
  std::ifstream jpeg(folder.file("Wasserzeichen/a.JPEG"), std::ios::binary);
  EXPECT_EQ(jpeg.get(), 0xFF);  // a JPEG stream starts FF D8
  EXPECT_EQ(jpeg.get(), 0xD8);
  std::ifstream tiff(folder.file("Wasserzeichen/b.tiff"), std::ios::binary);
  const int order = tiff.get();
  EXPECT_TRUE(order == 'I' || order == 'M');  // "II" or "MM"
}

TEST(Batch, MissingSourcesLeaveNoFoldersBehind) {
  ScratchFolder folder;
  Logged log;
  WatermarkJob job = plain_job({folder.file("fehlt.bmp"), folder.file("gibt/es/nicht/a.tga")});
  job.out_dir = "Neu/Tief";
  const BatchOutcome outcome = RunBatch(job, log.sink());
  EXPECT_EQ(outcome.sources_failed, 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 0);
}

TEST(Batch, SubfolderNameWithOuterSlashesLogsNoDoubledSlash) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.bmp"), 24, PIXKIT_FORMAT_BMP));
  WatermarkJob job = plain_job({folder.file("a.bmp")});
  job.out_dir = "/W//X/";
  Logged log;
  RunBatch(job, log.sink());
  ASSERT_EQ(log.lines.size(), 3u);
  EXPECT_EQ(log.lines[1], folder.file("W/X/a.bmp") + " geschrieben...");
  EXPECT_TRUE(fs::exists(folder.file("W/X/a.bmp")));
}

TEST(Batch, RefusalNamesTheSourceThatWouldBeOverwritten) {
  ScratchFolder folder;
  ASSERT_TRUE(write_picture(folder.file("a.bmp"), 24, PIXKIT_FORMAT_BMP));
  WatermarkJob job = plain_job({folder.file("a.bmp")});
  job.out_dir = "/";
  Logged log;
  const BatchOutcome outcome = RunBatch(job, log.sink());
  EXPECT_TRUE(outcome.refused);
  EXPECT_EQ(outcome.overwritten_source, folder.file("a.bmp"));
}
