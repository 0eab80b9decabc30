// SPDX-License-Identifier: GPL-3.0-or-later
// A JPEG source's chroma subsampling carried to its output: under
// "same", and under "Qualität wie Quelle" when no other is chosen. Read
// back by ImageMagick as well as by the library's own load.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "batch_scratch_folder.h"
#include "run/batch.h"
#include "run/output_path.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/rgba_pixels.h"

using batch_test::ScratchFolder;
using testsupport::OwnedDib;

namespace {

std::string write_jpeg_source(const ScratchFolder& folder, const std::string& name, int chroma) {
  OwnedDib picture(testsupport::make_pattern(64, 48, 24));
  PixkitSaveSettings settings = PixkitSaveSettingsInit();
  settings.format = PIXKIT_FORMAT_JPG;
  settings.quality = 92;
  settings.jpeg_chroma = chroma;
  const std::string path = folder.file(name);
  EXPECT_EQ(SaveDibAs(&picture.dib, path.c_str(), &settings, nullptr, nullptr), 1);
  return path;
}

// ImageMagick's "2x2,1x1,1x1" for the file; empty without the program.
std::string sampling_by_peer(const std::string& path) {
  if (!testsupport::have_program("identify")) return std::string();
  const std::string answer = path + ".sampling";
  testsupport::run("identify -format '%[jpeg:sampling-factor]' '" + path + "' > '" + answer + "'");
  std::ifstream in(answer);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int sampling_by_library(const std::string& path) {
  PixkitLoadSettings load = PixkitLoadSettingsInit();
  OwnedDib read(OpenDibAs(path.c_str(), &load, nullptr, nullptr));
  return load.source_jpeg_chroma;
}

std::string written_sampling(const std::string& source, ChromaSubsampling chroma, bool quality_from_source) {
  WatermarkJob job = batch_test::plain_job({source});
  job.output.jpeg.chroma = chroma;
  job.output.jpeg.quality_from_source = quality_from_source;
  RunBatch(job, [](const std::string&) {});
  return sampling_by_peer(OutputFolder(source, job.out_dir) + FileNamePart(source));
}

}  // namespace

TEST(ChromaFromSource, TheLibraryReadsEachSamplingItWrites) {
  ScratchFolder folder;
  for (int chroma : {PIXKIT_CHROMA_444, PIXKIT_CHROMA_422, PIXKIT_CHROMA_420})
    EXPECT_EQ(sampling_by_library(write_jpeg_source(folder, "s" + std::to_string(chroma) + ".jpg", chroma)),
              chroma);
  OwnedDib picture(testsupport::make_pattern(8, 8, 24));
  ASSERT_EQ(SaveDib(&picture.dib, folder.file("a.bmp").c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
  EXPECT_EQ(sampling_by_library(folder.file("a.bmp")), 0);
}

TEST(ChromaFromSource, SameAndQualityFromSourceKeepTheSourcesSampling) {
  if (!testsupport::have_program("identify")) GTEST_SKIP() << "ImageMagick's identify is missing";
  ScratchFolder folder;
  const std::string full = write_jpeg_source(folder, "voll.jpg", PIXKIT_CHROMA_444);
  const std::string half = write_jpeg_source(folder, "halb.jpg", PIXKIT_CHROMA_422);
  EXPECT_EQ(written_sampling(full, ChromaSubsampling::kSameAsSource, false), "1x1,1x1,1x1");
  EXPECT_EQ(written_sampling(half, ChromaSubsampling::kSameAsSource, false), "2x1,1x1,1x1");
  EXPECT_EQ(written_sampling(full, ChromaSubsampling::kLibraryDefault, true), "1x1,1x1,1x1");
  // A choice of its own wins over the source's.
  EXPECT_EQ(written_sampling(full, ChromaSubsampling::k420, true), "2x2,1x1,1x1");
  // Neither: what the run has always written.
  EXPECT_EQ(written_sampling(full, ChromaSubsampling::kLibraryDefault, false), "2x2,1x1,1x1");
}
