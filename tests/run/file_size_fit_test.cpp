// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs under a file-size cap: the highest quality that fits, never
// above the job's, the very file a single save at that quality writes,
// and quality 1 with a note when nothing fits.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "batch_scratch_folder.h"
#include "run/batch.h"
#include "support/owned_dib.h"
#include "support/rgba_pixels.h"

using batch_test::file_bytes;
using batch_test::files_below;
using batch_test::Logged;
using batch_test::ScratchFolder;
using testsupport::OwnedDib;

namespace {

// Smooth gradients under fine noise: the file shrinks steadily with the
// quality, as a photo's does.
std::string write_detailed_source(const ScratchFolder& folder) {
  OwnedDib picture(testsupport::make_pattern(320, 240, 24));
  uint32_t seed = 12345;
  for (int y = 0; y < 240; ++y) {
    uint8_t* row = picture.dib.Bits + int64_t(y) * picture.dib.RowBytes;
    for (int x = 0; x < 320 * 3; ++x) {
      seed = seed * 1664525u + 1013904223u;
      row[x] = uint8_t((x / 3 + y) / 3 + (seed >> 27));
    }
  }
  const std::string path = folder.file("foto.bmp");
  EXPECT_EQ(SaveDib(&picture.dib, path.c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
  return path;
}

WatermarkJob job_at(const std::string& source, const std::string& out_dir, ExportFormat format, int quality,
                    int32_t cap) {
  WatermarkJob job = batch_test::plain_job({source});
  job.out_dir = out_dir;
  job.output.format = format;
  job.output.jpeg.quality = quality;
  job.output.webp.quality = quality;
  job.output.avif.quality = quality;
  job.output.max_file_size = cap;
  return job;
}

// The quality a "(Qualität N)" line names; 0 without one.
int logged_quality(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const size_t at = line.find(" geschrieben... (Qualität ");
    if (at != std::string::npos) return std::stoi(line.substr(at + 26));
  }
  return 0;
}

}  // namespace

TEST(FileSizeFit, HighestQualityThatFitsIsTheFileASingleSaveWrites) {
  ScratchFolder folder;
  const std::string source = write_detailed_source(folder);
  for (ExportFormat format : {ExportFormat::kJpeg, ExportFormat::kWebp}) {
    const char* extension = format == ExportFormat::kJpeg ? "foto.jpg" : "foto.webp";
    const std::string knapp = std::string("knapp-") + extension;
    Logged uncapped;
    RunBatch(job_at(source, "voll", format, 90, 0), uncapped.sink());
    const std::string full = file_bytes(folder.path() / "voll" / extension);
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(logged_quality(uncapped.lines), 0);

    // A cap the job's quality keeps: the same file, named with its quality.
    Logged roomy;
    RunBatch(job_at(source, "weit", format, 90, int32_t(full.size())), roomy.sink());
    EXPECT_EQ(file_bytes(folder.path() / "weit" / extension), full);
    EXPECT_EQ(logged_quality(roomy.lines), 90);

    const auto cap = int32_t(full.size() / 3);
    Logged capped;
    RunBatch(job_at(source, knapp, format, 90, cap), capped.sink());
    const int quality = logged_quality(capped.lines);
    ASSERT_GT(quality, 1);
    ASSERT_LT(quality, 90);
    const std::string fitted = file_bytes(folder.path() / knapp / extension);
    EXPECT_LE(fitted.size(), size_t(cap));
    EXPECT_EQ(files_below(folder.path() / knapp).size(), 1u);  // no try left behind

    Logged same;
    RunBatch(job_at(source, "gleich", format, quality, 0), same.sink());
    EXPECT_EQ(file_bytes(folder.path() / "gleich" / extension), fitted);
    Logged above;
    RunBatch(job_at(source, "darueber", format, quality + 1, 0), above.sink());
    EXPECT_GT(file_bytes(folder.path() / "darueber" / extension).size(), size_t(cap));
  }
}

TEST(FileSizeFit, APictureThatCannotFitIsWrittenAtQualityOneWithANote) {
  ScratchFolder folder;
  const std::string source = write_detailed_source(folder);
  Logged log;
  const BatchOutcome outcome = RunBatch(job_at(source, "W", ExportFormat::kJpeg, 80, 100), log.sink());
  EXPECT_EQ(outcome.sources_written, 1);
  const std::string output = folder.file("W/foto.jpg");
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{source + " geladen...", output + " geschrieben... (Qualität 1)",
                                      output + ": auch mit Qualität 1 größer als 100 Bytes", "Fertig..."}));
  Logged single;
  RunBatch(job_at(source, "E", ExportFormat::kJpeg, 1, 0), single.sink());
  EXPECT_EQ(file_bytes(folder.path() / "W/foto.jpg"), file_bytes(folder.path() / "E/foto.jpg"));
  EXPECT_EQ(files_below(folder.path() / "W").size(), 1u);
}

TEST(FileSizeFit, FormatsWithoutAQualityIgnoreTheCap) {
  ScratchFolder folder;
  const std::string source = write_detailed_source(folder);
  Logged capped;
  RunBatch(job_at(source, "W", ExportFormat::kPng, 80, 100), capped.sink());
  Logged plain;
  RunBatch(job_at(source, "E", ExportFormat::kPng, 80, 0), plain.sink());
  EXPECT_EQ(file_bytes(folder.path() / "W/foto.png"), file_bytes(folder.path() / "E/foto.png"));
  EXPECT_EQ(capped.lines.at(1), folder.file("W/foto.png") + " geschrieben...");
}
