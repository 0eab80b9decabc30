// SPDX-License-Identifier: GPL-3.0-or-later
// The export flags of stempora-batch: each reaches the job's export
// options, bad values are refused, and a dry run shows the final names.
#include <gtest/gtest.h>

#include "cli_scratch_job.h"
#include "command_line.h"

using namespace cli_test;

TEST(StemporaBatchExport, EveryFlagReachesTheJobsExportOptions) {
  const BatchCommandLine line =
      ParseBatchCommandLine({"--max-size", "1920x1080", "--format=webp", "--name", "Hochzeit-{Nr:4}",
                             "--target", "/srv/web", "--if-exists", "rename", "--metadata", "no-gps",
                             "--srgb", "--chroma", "444", "--progressive", "--include", "png,heic", "a.stx"});
  ASSERT_EQ(line.error, "");
  ExportOptions output;
  output.png.compression = 3;  // the job's own choice, not named by a flag
  ApplyExportFlags(line.output, output);
  EXPECT_EQ(output.size.mode, ExportSizeMode::kBox);
  EXPECT_EQ(output.size.box_width, 1920);
  EXPECT_EQ(output.size.box_height, 1080);
  EXPECT_EQ(output.format, ExportFormat::kWebp);
  EXPECT_EQ(output.name_pattern, "Hochzeit-{Nr:4}");
  EXPECT_EQ(output.target, ExportTarget::kTargetFolder);
  EXPECT_EQ(output.target_folder, "/srv/web");
  EXPECT_EQ(output.if_exists, IfOutputExists::kRename);
  EXPECT_EQ(output.metadata, MetadataPolicy::kWithoutGpsAndSerials);
  EXPECT_TRUE(output.convert_to_srgb);
  EXPECT_EQ(output.jpeg.chroma, ChromaSubsampling::k444);
  EXPECT_TRUE(output.jpeg.progressive);
  EXPECT_TRUE(output.more_sources);
  EXPECT_EQ(output.png.compression, 3);

  ExportOptions edge;
  ApplyExportFlags(ParseBatchCommandLine({"--max-size=2048", "a.stx"}).output, edge);
  EXPECT_EQ(edge.size.mode, ExportSizeMode::kLongEdge);
  EXPECT_EQ(edge.size.edge, 2048);
  ExportOptions untouched;
  ApplyExportFlags(ParseBatchCommandLine({"a.stx"}).output, untouched);
  EXPECT_FALSE(untouched.any());
}

TEST(StemporaBatchExport, BadValuesAreRefused) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--max-size", "0", "a.stx"},
           {"--max-size", "100x", "a.stx"},
           {"--max-size", "gross", "a.stx"},
           {"--format", "gif", "a.stx"},
           {"--if-exists", "ask", "a.stx"},
           {"--metadata", "some", "a.stx"},
           {"--chroma", "411", "a.stx"},
           {"--include", "png,gif", "a.stx"},
           {"--include", "", "a.stx"},
           {"--name", "", "a.stx"},
           {"a.stx", "--target"},
       })
    EXPECT_NE(ParseBatchCommandLine(arguments).error, "") << arguments[0] << ' ' << arguments[1];
  EXPECT_EQ(ParseBatchCommandLine({"--format", "gif", "a.stx"}).error,
            "--format erwartet same, jpeg, png, webp, avif, tiff oder jp2, nicht \"gif\"");
}

TEST(StemporaBatchExport, EncoderFlagsReachTheirSettings) {
  const BatchCommandLine line =
      ParseBatchCommandLine({"--chroma=same", "--optimize-huffman", "--webp-lossless", "--png-level", "0",
                             "--avif-speed=10", "--sharpen", "low", "a.stx"});
  ASSERT_EQ(line.error, "");
  ExportOptions output;
  ApplyExportFlags(line.output, output);
  EXPECT_EQ(output.jpeg.chroma, ChromaSubsampling::kSameAsSource);
  EXPECT_TRUE(output.jpeg.optimize_huffman);
  EXPECT_TRUE(output.webp.lossless);
  EXPECT_EQ(output.png.compression, 0);
  EXPECT_EQ(output.avif.speed, 10);
  EXPECT_EQ(output.sharpen, ExportSharpen::kLow);
  for (const char* bad :
       {"--png-level=10", "--png-level=-1", "--avif-speed=11", "--avif-speed=x", "--sharpen=medium"})
    EXPECT_NE(ParseBatchCommandLine({bad, "a.stx"}).error, "") << bad;
}

TEST(StemporaBatchExport, FileSizeCapCountsThousandsAndMillionsOfBytes) {
  for (const auto& [text, bytes] : std::vector<std::pair<std::string, int32_t>>{
           {"1234", 1234}, {"500k", 500000}, {"2M", 2000000}, {"2147M", 2147000000}}) {
    ExportOptions output;
    const BatchCommandLine line = ParseBatchCommandLine({"--max-file-size", text, "a.stx"});
    ASSERT_EQ(line.error, "") << text;
    ApplyExportFlags(line.output, output);
    EXPECT_EQ(output.max_file_size, bytes) << text;
  }
  for (const char* bad : {"0", "k", "5K", "2148M", "-1", "1.5M", "3 k"})
    EXPECT_NE(ParseBatchCommandLine({"--max-file-size", bad, "a.stx"}).error, "") << bad;
}

TEST(StemporaBatchExport, DryRunShowsTheFinalNamesBelowTheTargetFolder) {
  ScratchFolder folder;
  const std::vector<std::string> sources = {folder.file("fotos/rom/a.bmp"), folder.file("fotos/rom/b.bmp"),
                                            folder.file("fotos/paris/c.bmp")};
  for (const std::string& source : sources) write_bmp(source);
  write_job(folder.file("job.stx"), sources, "Wasserzeichen");
  write_bmp(folder.file("export/rom/Web-0002.bmp"));  // taken before the run

  const BatchRun run = run_batch({"--dry-run", "--name", "Web-{Nr:4}", "--target", "export", "--if-exists",
                                  "skip", "--shard", "2/2", "job.stx"},
                                 folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::string base = folder.path().string();
  EXPECT_EQ(run.lines(),
            (std::vector<std::string>{base + "/export/rom/Web-0002.bmp vorhanden, übersprungen"}));

  const BatchRun all =
      run_batch({"--dry-run", "--name", "Web", "--target", "export", "job.stx"}, folder.path());
  EXPECT_EQ(all.lines(), (std::vector<std::string>{sources[0] + " -> " + base + "/export/rom/Web.bmp",
                                                   sources[1] + " -> " + base + "/export/rom/Web (2).bmp",
                                                   sources[2] + " -> " + base + "/export/paris/Web.bmp"}));
}
