// SPDX-License-Identifier: GPL-3.0-or-later
// Output names and folders under the export options: the name pattern,
// names that meet numbered alike for any number of workers and shards,
// the rules for a name taken on disk, the target folder, and the
// overwrite guard holding for all of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "batch_scratch_folder.h"
#include "pixkit/pixkit.h"
#include "run/batch.h"
#include "run/output_names.h"

using batch_test::file_bytes;
using batch_test::files_below;
using batch_test::Logged;
using batch_test::ScratchFolder;
using batch_test::write_picture;
namespace fs = std::filesystem;

namespace {

WatermarkJob plain_job(std::vector<std::string> sources, const std::string& out_dir) {
  WatermarkJob job = batch_test::plain_job(std::move(sources));
  job.out_dir = out_dir;
  return job;
}

// Seven sources of which five would all be named "Foto.bmp", at different
// depths so that their outputs differ.
std::vector<std::string> meeting_sources(const ScratchFolder& folder) {
  std::vector<std::string> sources;
  const int depths[] = {24, 8, 24, 4, 8, 24, 1};
  for (int i = 0; i < 7; ++i) {
    const bool tga = i == 2 || i == 5;
    sources.push_back(folder.file("s" + std::to_string(i) + (tga ? ".tga" : ".bmp")));
    EXPECT_TRUE(
        write_picture(sources.back(), tga ? 24 : depths[i], tga ? PIXKIT_FORMAT_TGA : PIXKIT_FORMAT_BMP));
  }
  return sources;
}

// fotos/rom/a.bmp and fotos/paris/nacht/b.tga, written to the target
// folder "export" beside them.
WatermarkJob rome_and_paris_to_export(const ScratchFolder& folder) {
  const std::string first = folder.file_in_new_folders("fotos/rom/a.bmp");
  const std::string second = folder.file_in_new_folders("fotos/paris/nacht/b.tga");
  EXPECT_TRUE(write_picture(first, 24, PIXKIT_FORMAT_BMP));
  EXPECT_TRUE(write_picture(second, 24, PIXKIT_FORMAT_TGA));
  WatermarkJob job = plain_job({first, second}, "..");  // not used with a target folder
  job.output.target = ExportTarget::kTargetFolder;
  job.output.target_folder = folder.file("export");
  return job;
}

}  // namespace

TEST(OutputNames, PatternPadsNumbersAndReplacesCharactersNoFileNameHolds) {
  SourceFacts facts;
  facts.path = "/fotos/Rom 2024/IMG_0042.JPG";
  facts.number = 7;
  facts.camera = "Canon EOS 5D";
  EXPECT_EQ(NameFromPattern("Hochzeit-Meier-{Nr:4}", facts), "Hochzeit-Meier-0007");
  EXPECT_EQ(NameFromPattern("{Nr}-{Nr:1}-{Nr:2}", facts), "7-7-07");
  facts.number = 12345;
  EXPECT_EQ(NameFromPattern("{Nr:4}", facts), "12345");
  EXPECT_EQ(NameFromPattern("{Datei} {Ordner}", facts), "IMG_0042 Rom 2024");
  EXPECT_EQ(NameFromPattern("a/b\\c:d*e?f\"g<h>i|j\tk", facts), "a_b_c_d_e_f_g_h_i_j_k");
  EXPECT_EQ(NameFromPattern("{Kamera}: {{Nr:4}}", facts), "Canon EOS 5D_ {Nr_4}");
  // Unknown before loading; kept as written rather than a wrong number.
  EXPECT_EQ(NameFromPattern("{Datei}-{Breite}x{Hoehe}", facts), "IMG_0042-{Breite}x{Hoehe}");
  EXPECT_EQ(NameFromPattern("{Datum}", facts), "_");  // no date: never an empty name
  EXPECT_EQ(NameFromPattern("..", facts), "__");
}

TEST(OutputNames, ExtensionFollowsTheFormat) {
  ExportOptions output;
  SourceFacts facts;
  EXPECT_EQ(OutputFileName("/f/Urlaub.JPG", output, facts), "Urlaub.JPG");
  output.format = ExportFormat::kJpeg;
  EXPECT_EQ(OutputFileName("/f/a.b.tif", output, facts), "a.b.jpg");
  output.format = ExportFormat::kTiff;
  EXPECT_EQ(OutputFileName("/f/a.bmp", output, facts), "a.tif");
  output.format = ExportFormat::kSameAsSource;
  output.name_pattern = "Neu";
  EXPECT_EQ(OutputFileName("/f/a.Tga", output, facts), "Neu.Tga");
  EXPECT_EQ(OutputFileName("/f/a.heic", output, facts), "Neu.jpg");
  EXPECT_EQ(NumberedFileName("Neu.jpg", 3), "Neu (3).jpg");
}

TEST(BatchOutputNames, NamesThatMeetAreNumberedInListOrderForAnyWorkersAndShards) {
  ScratchFolder folder;
  const std::vector<std::string> sources = meeting_sources(folder);
  Logged log;
  ASSERT_EQ(RunBatch(plain_job(sources, "ref"), log.sink()).sources_written, 7);
  const std::map<std::string, std::string> ref = files_below(folder.path() / "ref");
  WatermarkJob job = plain_job(sources, "eins");
  job.output.name_pattern = "Foto";
  BatchControl control;
  control.workers = 1;
  ASSERT_EQ(RunBatch(job, log.sink(), control).sources_written, 7);
  const std::map<std::string, std::string> one = files_below(folder.path() / "eins");
  EXPECT_EQ(one, (std::map<std::string, std::string>{{"Foto.bmp", ref.at("s0.bmp")},
                                                     {"Foto (2).bmp", ref.at("s1.bmp")},
                                                     {"Foto.tga", ref.at("s2.tga")},
                                                     {"Foto (3).bmp", ref.at("s3.bmp")},
                                                     {"Foto (4).bmp", ref.at("s4.bmp")},
                                                     {"Foto (2).tga", ref.at("s5.tga")},
                                                     {"Foto (5).bmp", ref.at("s6.bmp")}}));

  job.out_dir = "vier";
  control.workers = 4;
  ASSERT_EQ(RunBatch(job, log.sink(), control).sources_written, 7);
  EXPECT_EQ(files_below(folder.path() / "vier"), one);

  job.out_dir = "teil";
  for (int k = 0; k < 3; ++k) {
    BatchControl shard;
    shard.shard_index = k;
    shard.shard_count = 3;
    shard.workers = 2;
    RunBatch(job, log.sink(), shard);
  }
  EXPECT_EQ(files_below(folder.path() / "teil"), one);
}

TEST(BatchOutputNames, TakenNameIsReplacedSkippedOrRenamedAsTheJobSays) {
  ScratchFolder folder;
  const std::string source = folder.file("a.bmp");
  ASSERT_TRUE(write_picture(source, 24, PIXKIT_FORMAT_BMP));
  const std::string taken = folder.file_in_new_folders("W/a.bmp");
  std::ofstream(taken) << "schon da";
  WatermarkJob job = plain_job({source}, "W");

  job.output.if_exists = IfOutputExists::kSkip;
  Logged skipped;
  const BatchOutcome outcome = RunBatch(job, skipped.sink());
  EXPECT_EQ(outcome.sources_written, 0);
  EXPECT_EQ(outcome.sources_skipped, 1);
  EXPECT_EQ(skipped.lines, (std::vector<std::string>{taken + " vorhanden, übersprungen", "Fertig..."}));
  EXPECT_EQ(file_bytes(taken), "schon da");

  job.output.if_exists = IfOutputExists::kRename;
  Logged renamed;
  EXPECT_EQ(RunBatch(job, renamed.sink()).sources_written, 1);
  EXPECT_EQ(file_bytes(taken), "schon da");
  EXPECT_EQ(file_bytes(folder.path() / "W/a (2).bmp"), file_bytes(source));
  EXPECT_EQ(renamed.lines.at(1), folder.file("W/a (2).bmp") + " geschrieben...");
  // A second run finds "a (2)" taken as well.
  EXPECT_EQ(PlanBatch(job).entries.at(0).output, folder.file("W/a (3).bmp"));

  job.output.if_exists = IfOutputExists::kReplace;
  Logged replaced;
  EXPECT_EQ(RunBatch(job, replaced.sink()).sources_written, 1);
  EXPECT_EQ(file_bytes(taken), file_bytes(source));
}

TEST(BatchOutputNames, TargetFolderMirrorsTheSourcesBelowTheirCommonParent) {
  ScratchFolder folder;
  WatermarkJob job = rome_and_paris_to_export(folder);
  const std::string first = job.sources[0];
  const std::string second = job.sources[1];
  Logged log;
  ASSERT_EQ(RunBatch(job, log.sink()).sources_written, 2);
  EXPECT_EQ(files_below(folder.path() / "export"),
            (std::map<std::string, std::string>{{"rom/a.bmp", file_bytes(first)},
                                                {"paris/nacht/b.tga", file_bytes(second)}}));
}

TEST(BatchOutputNames, APatternTooLongForAFileNameIsCutToFitWithRoomForANumber) {
  ScratchFolder folder;
  const std::string a = folder.file("a.bmp");
  ASSERT_TRUE(write_picture(a, 24, PIXKIT_FORMAT_BMP));
  WatermarkJob job = plain_job({a, a}, "W");  // the same name twice: numbered
  // 2-byte letters: the cut may not split one.
  std::string pattern;
  for (int i = 0; i < 200; ++i) pattern += "\xc3\xa4";
  job.output.name_pattern = pattern;
  job.output.format = ExportFormat::kTiff;
  Logged log;
  ASSERT_EQ(RunBatch(job, log.sink()).sources_written, 2);
  const std::string stem = pattern.substr(0, 2 * ((255 - 8 - 4) / 2));
  EXPECT_EQ(files_below(folder.path() / "W"),
            (std::map<std::string, std::string>{
                {stem + ".tif", file_bytes(folder.path() / "W" / (stem + ".tif"))},
                {stem + " (2).tif", file_bytes(folder.path() / "W" / (stem + " (2).tif"))}}));
  EXPECT_FALSE(file_bytes(folder.path() / "W" / (stem + " (2).tif")).empty());
}

TEST(BatchOutputNames, AMirroredFolderPlantedAsALinkIsRefusedNotFollowed) {
  ScratchFolder folder;
  WatermarkJob job = rome_and_paris_to_export(folder);
  const std::string kept = job.sources[0];
  fs::create_directories(folder.path() / "export" / "paris");
  fs::create_directories(folder.path() / "elsewhere");
  fs::create_directory_symlink(folder.path() / "elsewhere", folder.path() / "export" / "paris" / "nacht");
  Logged log;
  const BatchOutcome outcome = RunBatch(job, log.sink());
  EXPECT_EQ(outcome.sources_written, 1);
  EXPECT_EQ(outcome.sources_failed, 1);
  EXPECT_TRUE(fs::is_empty(folder.path() / "elsewhere"));
  const std::string output = folder.file("export") + "/paris/nacht/b.tga";
  EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                      "Fehler: Die Datei " + output + " konnte nicht geschrieben werden! (Ordner " +
                          folder.file("export") + "/paris/nacht ist ein symbolischer Link)"),
            log.lines.end());
  EXPECT_EQ(file_bytes(folder.path() / "export" / "rom" / "a.bmp"), file_bytes(kept));
}

TEST(BatchOutputNames, NoOutputReplacesASourceWhateverTheNamesFoldersOrRule) {
  ScratchFolder folder;
  const std::string a = folder.file("a.bmp");
  const std::string b = folder.file("b.bmp");
  ASSERT_TRUE(write_picture(a, 24, PIXKIT_FORMAT_BMP));
  ASSERT_TRUE(write_picture(b, 24, PIXKIT_FORMAT_BMP));
  const std::string before = file_bytes(a);
  for (IfOutputExists rule : {IfOutputExists::kReplace, IfOutputExists::kSkip, IfOutputExists::kRename}) {
    WatermarkJob job = plain_job({b, a}, "W");
    job.output.if_exists = rule;
    job.output.target = ExportTarget::kTargetFolder;
    job.output.target_folder = folder.path().string() + "/./";
    job.output.name_pattern = "{Datei}";
    Logged log;
    BatchOutcome outcome = RunBatch(job, log.sink());
    EXPECT_TRUE(outcome.refused);
    EXPECT_EQ(outcome.overwritten_source, b);
    // The pattern alone, beside the sources: the second source would be
    // named after the first.
    job.output.target = ExportTarget::kSubfolder;
    job.out_dir = "";
    job.output.name_pattern = "a";
    outcome = RunBatch(job, log.sink());
    EXPECT_TRUE(outcome.refused);
    EXPECT_TRUE(log.lines.empty());
  }
  EXPECT_EQ(file_bytes(a), before);
}

TEST(OutputNames, DateVariablesTakeTheCaptureTimeWithFixedDigits) {
  SourceFacts facts;
  facts.path = "/fotos/IMG_1.JPG";
  EXPECT_TRUE(NamePatternNeedsCaptureFacts("x{Sekunde}"));
  EXPECT_TRUE(NamePatternNeedsCaptureFacts("{Datum:ISO}"));
  EXPECT_EQ(NameFromPattern("{Jahr}{Monat}{Tag}{Datum:ISO}", facts), "_");  // no time known
  facts.taken = ShownTime{823, 6, 5, 9, 4, 7};
  EXPECT_EQ(NameFromPattern("{Jahr}-{Monat}-{Tag} {Stunde}.{Minute}.{Sekunde} {Datum:ISO}", facts),
            "0823-06-05 09.04.07 0823-06-05");
  // Names only: the watermark's text writes them as they stand, as ever.
  EXPECT_EQ(ReplaceTextVariables("{Monat} {Datum:ISO}", facts), "{Monat} {Datum:ISO}");
}

TEST(OutputNames, SlashesInThePatternMakeFoldersEachCutToAFileName) {
  SourceFacts facts;
  facts.path = "/fotos/IMG_1.JPG";
  facts.taken = ShownTime{2023, 6, 15, 9, 4, 7};
  ExportOptions output;
  output.name_pattern = "{Jahr}//{Monat}/{Kamera}{Datei}";
  facts.camera = "A/B ";
  EXPECT_EQ(OutputFileName("/fotos/IMG_1.JPG", output, facts), "2023/06/A_B IMG_1.JPG");
  output.name_pattern = std::string(300, 'o') + "/{Datei}";
  EXPECT_EQ(OutputFileName("/fotos/IMG_1.JPG", output, facts), std::string(247, 'o') + "/IMG_1.JPG");
  for (const char* leaving : {"../x", "a/../x", "/tmp/x", "a/.."})
    EXPECT_TRUE(NamePatternLeavesOutputFolder(leaving)) << leaving;
  for (const char* staying : {"..x/y", "a/...", "{Datei}", "a\\..\\b"})
    EXPECT_FALSE(NamePatternLeavesOutputFolder(staying)) << staying;
}

TEST(BatchOutputNames, PatternFoldersAreMadeBelowTheOutputFolderNeverThroughALink) {
  ScratchFolder folder;
  const std::string a = folder.file("a.bmp");
  const std::string b = folder.file("b.bmp");
  ASSERT_TRUE(write_picture(a, 24, PIXKIT_FORMAT_BMP));
  ASSERT_TRUE(write_picture(b, 8, PIXKIT_FORMAT_BMP));
  WatermarkJob job = plain_job({a, b}, "W");
  job.output.name_pattern = "Serie/{Datei}/Bild";
  Logged log;
  ASSERT_EQ(RunBatch(job, log.sink()).sources_written, 2);
  std::vector<std::string> written;
  for (const auto& [name, bytes] : files_below(folder.path() / "W")) written.push_back(name);
  EXPECT_EQ(written, (std::vector<std::string>{"Serie/a/Bild.bmp", "Serie/b/Bild.bmp"}));

  job.out_dir = "V";
  fs::create_directories(folder.path() / "V" / "Serie");
  fs::create_directories(folder.path() / "elsewhere");
  fs::create_directory_symlink(folder.path() / "elsewhere", folder.path() / "V" / "Serie" / "b");
  const BatchOutcome linked = RunBatch(job, log.sink());
  EXPECT_EQ(linked.sources_written, 1);
  EXPECT_EQ(linked.sources_failed, 1);
  EXPECT_TRUE(fs::is_empty(folder.path() / "elsewhere"));

  for (const char* leaving : {"../{Datei}", "/tmp/{Datei}"}) {
    job.out_dir = "U";
    job.output.name_pattern = leaving;
    Logged refused_log;
    EXPECT_TRUE(PlanBatch(job).name_pattern_refused);
    const BatchOutcome refused = RunBatch(job, refused_log.sink());
    EXPECT_TRUE(refused.name_pattern_refused);
    EXPECT_TRUE(refused_log.lines.empty());
    EXPECT_FALSE(fs::exists(folder.path() / "U"));
  }
}
