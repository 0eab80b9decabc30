// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "cli_scratch_job.h"
#include "command_line.h"

using namespace cli_test;

TEST(StemporaBatch, ParsesEveryOptionInBothSpellings) {
  BatchCommandLine line = ParseBatchCommandLine({"a.stx"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.jobs, 0) << "no --jobs: as many workers as cores";
  EXPECT_EQ(line.shard_count, 1);
  EXPECT_FALSE(line.dry_run || line.quiet || line.out_dir || line.quality || line.sources_from);

  line = ParseBatchCommandLine({"--jobs", "4", "--out-dir", "-Neu", "--quality=100", "--shard", "3/3",
                                "--dry-run", "--quiet", "a.stx", "x.jpg", "--", "-y.jpg"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.jobs, 4);
  EXPECT_EQ(line.out_dir, "-Neu");
  EXPECT_EQ(line.quality, 100);
  EXPECT_EQ(line.shard_index, 2);
  EXPECT_EQ(line.shard_count, 3);
  EXPECT_TRUE(line.dry_run && line.quiet);
  EXPECT_EQ(line.job_file, "a.stx");
  EXPECT_EQ(line.sources, (std::vector<std::string>{"x.jpg", "-y.jpg"}));

  line = ParseBatchCommandLine({"--jobs=2", "--sources-from", "-", "--shard=1/1", "--", "-seltsam.stx"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.sources_from, "-");
  EXPECT_EQ(line.shard_index, 0);
  EXPECT_EQ(line.job_file, "-seltsam.stx");
  EXPECT_TRUE(line.sources.empty());
}

TEST(StemporaBatch, RejectsMissingOrBadArguments) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--jobs"},
      {"--jobs", "0", "a.stx"},
      {"--jobs", "3x", "a.stx"},
      {"--jobs=", "a.stx"},
      {"--quality", "0", "a.stx"},
      {"--quality", "101", "a.stx"},
      {"a.stx", "--out-dir"},
      {"--shard", "0/3", "a.stx"},
      {"--shard", "4/3", "a.stx"},
      {"--shard", "1/0", "a.stx"},
      {"--shard", "3", "a.stx"},
      {"--shard", "1/3/5", "a.stx"},
      {"--sources-from", "", "a.stx"},
      {"--sources-from", "liste.txt", "a.stx", "x.jpg"},
      {"--schnell", "a.stx"},
      {"--jobsx=2", "a.stx"},
  };
  for (const std::vector<std::string>& arguments : bad) {
    std::string shown;
    for (const std::string& argument : arguments) shown += " [" + argument + "]";
    EXPECT_NE(ParseBatchCommandLine(arguments).error, "") << shown;
  }
  EXPECT_EQ(ParseBatchCommandLine({"--shard", "1/3/5", "a.stx"}).error,
            "--shard erwartet K/N mit 1 <= K <= N, nicht \"1/3/5\"");
}

TEST(StemporaBatch, HelpExplainsItself) {
  ScratchFolder folder;
  const BatchRun run = run_batch({"--help"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.out.find("Aufruf: stempora-batch [OPTIONEN] AUFTRAG.stx [QUELLDATEI...]"), std::string::npos);
  EXPECT_NE(run.out.find("Rückgabewert"), std::string::npos);
  EXPECT_NE(run.out.find("\"Wasserzeichen hinzufügen...\""), std::string::npos);
  EXPECT_NE(run.out.find("Ein relativer Quellpfad wird erst beim Lauf geöffnet"), std::string::npos);
}

TEST(StemporaBatch, BadArgumentsExitTwoWithAHintToTheHelp) {
  ScratchFolder folder;
  const BatchRun run = run_batch({"--jobs", "viele", "a.stx"}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  // The error on one line, then one line of hint instead of the whole help.
  const std::string hint = "\n\"stempora-batch --help\" zeigt die Optionen.\n";
  EXPECT_EQ(run.err.rfind("stempora-batch: --jobs erwartet ", 0), 0u) << run.err;
  ASSERT_GT(run.err.size(), hint.size());
  EXPECT_EQ(run.err.substr(run.err.size() - hint.size()), hint);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
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

TEST(StemporaBatch, MarkOptionsReadKeysEscapesAndDefaultsAndRefuseWhatTheyCannotMean) {
  BatchCommandLine line = ParseBatchCommandLine(
      {"--mark",
       "text=Foto\\, 2024 \\\\ {Nr},position=top-left,margin-x=3%,margin-y=12,size=4%,blend=multiply,"
       "colour=#FF8000,bold,outline=2,only=portrait",
       "--mark=picture=logo.png,position=max,keep-alpha,tile", "--no-job-marks", "a.stx"});
  ASSERT_EQ(line.error, "");
  EXPECT_TRUE(line.no_job_marks);
  ASSERT_EQ(line.marks.size(), 2u);
  const FurtherMark& text = line.marks[0].mark;
  EXPECT_TRUE(text.is_text);
  EXPECT_EQ(text.text_settings.text, "Foto, 2024 \\ {Nr}");
  EXPECT_EQ(text.text_settings.position, 0);
  EXPECT_EQ(text.text_settings.transparency, 75);
  EXPECT_EQ(text.margin_x, (MarkMargin{3, true}));
  EXPECT_EQ(text.margin_y, (MarkMargin{12, false}));
  EXPECT_EQ(text.text_settings.options.relative, RelativeTo::kImageHeight);
  EXPECT_EQ(text.text_settings.options.relative_percent, 4);
  EXPECT_EQ(text.text_settings.font.color, 0x0080FF);  // red in the low byte
  EXPECT_EQ(text.text_settings.font.style, kFontBold);
  EXPECT_TRUE(text.text_settings.options.outline && text.text_settings.options.variables);
  EXPECT_EQ(text.blend, MarkBlend::kMultiply);
  EXPECT_EQ(text.only, MarkOrientation::kPortrait);
  const MarkOption& picture = line.marks[1];
  EXPECT_FALSE(picture.mark.is_text);
  EXPECT_EQ(picture.picture_path, "logo.png");
  EXPECT_TRUE(picture.keep_alpha && picture.mark.picture_settings.options.keep_alpha);
  EXPECT_EQ(picture.mark.picture_settings.position, 10);
  EXPECT_EQ(picture.mark.picture_settings.transparency, 50);
  EXPECT_EQ(picture.mark.margin_x, (MarkMargin{20, false}));
  EXPECT_TRUE(picture.mark.picture_settings.options.tile.enabled);

  for (const char* bad :
       {"text=a,picture=b", "position=top", "text=a,position=fit", "text=a,keep-alpha", "picture=a,bold",
        "text=a,blend=darken", "text=a,size=4", "text=a,colour=red", "text=a,transparency=101",
        "text=a,bogus=1", "text=a,tile=1", "text=a\\x", "text=a,margin"}) {
    line = ParseBatchCommandLine({"--mark", bad, "a.stx"});
    EXPECT_EQ(line.error.rfind("--mark", 0), 0u) << bad << ": " << line.error;
    EXPECT_EQ(line.error.find('\n'), std::string::npos) << bad;
  }
}
