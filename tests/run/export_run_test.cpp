// SPDX-License-Identifier: GPL-3.0-or-later
// The run under export options: a web job's output at its size, JPEG
// sources shrunk while decoding, and PNG, WebP and HEIC sources taken in
// only with the further sources on, each written in its own format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_scratch_folder.h"
#include "image/dib_access.h"
#include "run/batch.h"
#include "run/output_save.h"
#include "run/stamp_source.h"
#include "support/owned_dib.h"
#include "support/rgba_pixels.h"

using batch_test::plain_job;
using batch_test::ScratchFolder;
using testsupport::OwnedDib;

namespace {

std::vector<std::string> run_logged(const WatermarkJob& job) {
  std::vector<std::string> lines;
  RunBatch(job, [&](const std::string& line) { lines.push_back(line); });
  return lines;
}

bool save_as(const TDibImage& dib, const std::string& path, int format) {
  PixkitSaveSettings s = PixkitSaveSettingsInit();
  s.format = format;
  s.webp_lossless = 1;
  return SaveDibAs(&dib, path.c_str(), &s, nullptr, nullptr) == 1;
}

}  // namespace

TEST(ExportRun, WebJobWritesTheLongEdgeAndDecodesTheJpegShrunk) {
  ScratchFolder folder;
  OwnedDib source(testsupport::make_pattern(1200, 900, 24));
  ASSERT_EQ(SaveDib(&source.dib, folder.file("photo.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  WatermarkJob job = plain_job({folder.file("photo.jpg")});
  job.output.size.mode = ExportSizeMode::kLongEdge;
  job.output.size.edge = 400;
  job.output.jpeg.chroma = ChromaSubsampling::k444;

  // The load decodes at 3/8 (450 x 338), the smallest DCT scale above 400 x 300.
  LoadedSource loaded = LoadSource(folder.file("photo.jpg"), nullptr, job.output);
  OwnedDib record(loaded.record);
  EXPECT_EQ(DibWidth(record.dib), 450);
  EXPECT_EQ(loaded.stored_width, 1200);
  SourceDepth depth = BringTo24Bits(record.dib);
  ASSERT_TRUE(FitForOutput(record.dib, depth, loaded, job.output));
  EXPECT_EQ(DibWidth(record.dib), 400);
  EXPECT_EQ(DibHeight(record.dib), 300);

  run_logged(job);
  OwnedDib written(OpenDib(folder.file("Wasserzeichen/photo.jpg").c_str(), 0, nullptr));
  ASSERT_EQ(written.bits(), 24);
  EXPECT_EQ(DibWidth(written.dib), 400);
  EXPECT_EQ(DibHeight(written.dib), 300);
}

TEST(ExportRun, FurtherSourcesAreSkippedWhenOffAndWrittenInTheirFormatWhenOn) {
  ScratchFolder folder;
  OwnedDib logo(testsupport::make_pattern(5, 4, 32));
  ASSERT_TRUE(save_as(logo.dib, folder.file("logo.png"), PIXKIT_FORMAT_PNG));
  ASSERT_TRUE(save_as(logo.dib, folder.file("logo.webp"), PIXKIT_FORMAT_WEBP));
  WatermarkJob job = plain_job({folder.file("logo.png"), folder.file("logo.webp")});

  const std::vector<std::string> off = run_logged(job);
  ASSERT_EQ(off.size(), 3u);
  EXPECT_NE(off[0].find("übersprungen"), std::string::npos);
  EXPECT_NE(off[1].find("übersprungen"), std::string::npos);

  job.output.more_sources = true;
  job.output.webp.lossless = true;
  run_logged(job);
  PixkitLoadSettings load = PixkitLoadSettingsInit();
  load.more_formats = 1;
  for (const char* name : {"logo.png", "logo.webp"}) {
    SCOPED_TRACE(name);
    const std::string out = folder.file(std::string("Wasserzeichen/") + name);
    OwnedDib written(OpenDibAs(out.c_str(), &load, nullptr, nullptr));
    ASSERT_EQ(written.bits(), 32);  // alpha kept
    EXPECT_EQ(testsupport::pixels_of(written.dib), testsupport::pixels_of(logo.dib));
  }
}

TEST(ExportRun, SeeThroughSourceWrittenAsJpegLiesOnWhite) {
  ScratchFolder folder;
  TDibImage logo = newdib(16, 16, 32, nullptr, 0);  // black, fully transparent
  ASSERT_TRUE(save_as(logo, folder.file("logo.png"), PIXKIT_FORMAT_PNG));
  deldib(&logo);
  WatermarkJob job = plain_job({folder.file("logo.png")});
  job.output.more_sources = true;
  job.output.format = ExportFormat::kJpeg;
  run_logged(job);
  OwnedDib written(OpenDib(folder.file("Wasserzeichen/logo.jpg").c_str(), 0, nullptr));
  ASSERT_EQ(written.bits(), 24);
  EXPECT_EQ(getpixel(&written.dib, 8, 8), 0xFFFFFFu);
}

TEST(ExportRun, GuardRefusesAFurtherSourceItsOwnOutputWouldReplace) {
  ScratchFolder folder;
  OwnedDib logo(testsupport::make_pattern(5, 4, 24));
  ASSERT_TRUE(save_as(logo.dib, folder.file("logo.png"), PIXKIT_FORMAT_PNG));
  WatermarkJob job = plain_job({folder.file("logo.png")});
  job.out_dir = "";
  EXPECT_FALSE(RunBatch(job, [](const std::string&) {}).refused);  // passed over, never written
  job.output.more_sources = true;
  EXPECT_TRUE(RunBatch(job, [](const std::string&) {}).refused);
}

TEST(ExportRun, OutputExtensionAndFormatFollowTheChoice) {
  EXPECT_EQ(OutputExtension(ExportFormat::kSameAsSource, "/a/b.Jpeg"), ".Jpeg");
  EXPECT_EQ(OutputExtension(ExportFormat::kSameAsSource, "/a/b.HEIC"), ".jpg");
  EXPECT_EQ(OutputExtension(ExportFormat::kWebp, "/a/b.tif"), ".webp");
  EXPECT_EQ(OutputExtension(ExportFormat::kJpeg2000, "/a/b.tif"), ".jp2");
  ExportOptions output;
  EXPECT_EQ(OutputFormatCode("/a/b.tif", output), PIXKIT_FORMAT_TIF);
  EXPECT_EQ(SourceRowForJob("/a/b.heic", output), 0);
  output.more_sources = true;
  EXPECT_EQ(OutputFormatCode("/a/b.heic", output), PIXKIT_FORMAT_JPG);
  EXPECT_EQ(OutputFormatCode("/a/b.avif", output), PIXKIT_FORMAT_AVIF);
  output.format = ExportFormat::kPng;
  EXPECT_EQ(OutputFormatCode("/a/b.jpg", output), PIXKIT_FORMAT_PNG);
}
