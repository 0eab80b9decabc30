// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping a JPEG's untouched blocks in the run: the reach of the marks
// bounds every pixel the ordinary stamping changes, and a run with the
// option logs what it has always logged.
#include "../../run/src/output/keep_jpeg_blocks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch_scratch_folder.h"
#include "image/dib_access.h"
#include "run/batch.h"
#include "run/stamp_source.h"
#include "support/peer_tools.h"

namespace stamptest {
void ensure_gui_application();
}

namespace {

using batch_test::Logged;
using batch_test::ScratchFolder;
namespace fs = std::filesystem;

constexpr int kWidth = 320, kHeight = 240;

TDibImage noise_picture(int width, int height, uint32_t seed) {
  TDibImage d = newdib(width, height, 24, nullptr, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      setpixel(&d, x, y, seed >> 8);
    }
  return d;
}

TextStampSettings corner_text() {
  TextStampSettings s;
  s.text = "Hochzeit 2026";
  s.font.name = "DejaVu Sans";
  s.font.height = -18;
  s.font.color = 0x2040FF;
  s.position = 8;  // "Unten Rechts"
  s.margin = 6;
  s.transparency = 20;
  return s;
}

struct ReachCase {
  const char* name;
  void (*shape)(WatermarkJob& job);
};

const ReachCase kReachCases[] = {
    {"PlainCornerText", [](WatermarkJob&) {}},
    {"OutlineShadowAndTurn",
     [](WatermarkJob& job) {
       job.text.options.outline = true;
       job.text.options.outline_width = 3;
       job.text.options.shadow = true;
       job.text.options.shadow_dx = -7;
       job.text.options.shadow_dy = 9;
       job.text.options.shadow_blur = 4;
       job.text.options.smooth = true;
       job.text.options.angle = 33;
       job.text.position = 4;
     }},
    {"TurnedPictureOfRelativeSize",
     [](WatermarkJob& job) {
       job.add_text = false;
       job.add_picture = true;
       job.picture.position = 2;
       job.picture.margin = 0;
       job.picture.transparency = 0;
       job.picture.options.relative = RelativeTo::kImageWidth;
       job.picture.options.relative_percent = 10;
       job.picture.options.angle = -20;
     }},
    {"PictureAndVariables",
     [](WatermarkJob& job) {
       job.add_picture = true;
       job.picture.position = 10;  // "Maximal": over everything
       job.text.text = "{Breite} x {Hoehe} {Datei}";
       job.text.options.variables = true;
       job.text.position = 0;
     }},
    {"FurtherMarksBlendedAndWithMarginsOfTheirOwn",
     [](WatermarkJob& job) {
       job.add_text = false;
       FurtherMark text;
       text.is_text = true;
       text.text_settings = corner_text();
       text.text_settings.position = 2;
       text.margin_x = MarkMargin{5, true};
       text.margin_y = MarkMargin{3, false};
       text.blend = MarkBlend::kScreen;
       FurtherMark logo;
       logo.picture = ShareMarkPicture(noise_picture(30, 20, 9));
       logo.picture_settings.position = 6;
       logo.blend = MarkBlend::kMultiply;
       job.further_marks = {text, logo};
     }},
};

class MarkReachBound : public ::testing::TestWithParam<ReachCase> {
 protected:
  static void SetUpTestSuite() { stamptest::ensure_gui_application(); }
};

TEST_P(MarkReachBound, EveryPixelTheStampChangesLiesInTheReach) {
  TDibImage mark = noise_picture(60, 40, 7);
  WatermarkJob job;
  job.add_text = true;
  job.text = corner_text();
  job.watermark = &mark;
  GetParam().shape(job);
  TDibImage before = noise_picture(kWidth, kHeight, 1);
  TDibImage after = noise_picture(kWidth, kHeight, 1);
  StampSource(after, job, "/tmp/bild.jpg", 3);
  const std::vector<PixkitRect> reach = MarkReach(job, "/tmp/bild.jpg", 3, kWidth, kHeight);
  int changed = 0, outside = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (getpixel(&before, x, y) == getpixel(&after, x, y)) continue;
      ++changed;
      bool inside = false;
      for (const PixkitRect& r : reach) inside |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      if (!inside) ++outside;
    }
  EXPECT_GT(changed, 50);
  EXPECT_EQ(outside, 0);
  deldib(&before);
  deldib(&after);
  deldib(&mark);
}

INSTANTIATE_TEST_SUITE_P(Marks, MarkReachBound, ::testing::ValuesIn(kReachCases),
                         [](const ::testing::TestParamInfo<ReachCase>& info) { return info.param.name; });

class KeptJpegBlocksRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { stamptest::ensure_gui_application(); }

  // A 320 x 240 JPEG written at quality 95.
  std::string source() {
    TDibImage picture = noise_picture(kWidth, kHeight, 5);
    const std::string path = folder.file("foto.jpg");
    PixkitCallOptions call = PixkitCallOptionsInit();
    call.jpeg_quality = 95;
    EXPECT_EQ(SaveDibWith(&picture, path.c_str(), PIXKIT_FORMAT_JPG, &call, nullptr), 1);
    deldib(&picture);
    return path;
  }

  WatermarkJob job(bool keep) {
    WatermarkJob j;
    j.sources = {source()};
    j.jpeg_quality = 40;
    j.text = corner_text();
    j.output.keep_jpeg_blocks = keep;
    return j;
  }

  ScratchFolder folder;
};

TEST_F(KeptJpegBlocksRun, LogsAsEverAndKeepsThePixelsAwayFromTheMark) {
  Logged log;
  const BatchOutcome outcome = RunBatch(job(true), log.sink());
  EXPECT_EQ(outcome.sources_written, 1);
  const std::string output = folder.file("Wasserzeichen/foto.jpg");
  EXPECT_EQ(log.lines, (std::vector<std::string>{folder.file("foto.jpg") + " geladen...",
                                                 output + " geschrieben...", "Fertig..."}));
  // The top half is far from the corner text: decoded exactly as the source.
  TDibImage in = OpenDib(folder.file("foto.jpg").c_str(), 0, nullptr);
  TDibImage out = OpenDib(output.c_str(), 0, nullptr);
  ASSERT_NE(out.Bits, nullptr);
  int differing = 0;
  for (int y = 0; y < kHeight / 2; ++y)
    for (int x = 0; x < kWidth; ++x) differing += getpixel(&in, x, y) != getpixel(&out, x, y);
  EXPECT_EQ(differing, 0);
  deldib(&in);
  deldib(&out);
}

TEST_F(KeptJpegBlocksRun, ExportThatChangesTheFormatTakesTheOrdinaryPathAndSaysSoOnce) {
  WatermarkJob plain = job(false);
  plain.output.convert_to_srgb = true;
  Logged plain_log;
  RunBatch(plain, plain_log.sink());
  const std::vector<uint8_t> ordinary = testsupport::read_file(folder.file("Wasserzeichen/foto.jpg"));

  WatermarkJob kept = job(true);
  kept.sources.push_back(kept.sources[0]);
  kept.output.convert_to_srgb = true;
  Logged log;
  RunBatch(kept, log.sink());
  ASSERT_EQ(log.lines.size(), plain_log.lines.size() + 3);
  EXPECT_EQ(log.lines[0], KeptJpegBlocksOffText());
  EXPECT_EQ(log.lines[1], plain_log.lines[0]);
  EXPECT_EQ(testsupport::read_file(folder.file("Wasserzeichen/foto.jpg")), ordinary);
}

// Each worker holds its own source's blocks: four workers write what one
// writes.
TEST_F(KeptJpegBlocksRun, SeveralWorkersWriteWhatOneWrites) {
  WatermarkJob kept = job(true);
  for (const char* name : {"b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"}) {
    fs::copy_file(kept.sources[0], folder.file(name));
    kept.sources.push_back(folder.file(name));
  }
  BatchControl control;
  control.workers = 1;
  kept.out_dir = "eins";
  Logged one;
  RunBatch(kept, one.sink(), control);
  control.workers = 4;
  kept.out_dir = "vier";
  Logged four;
  RunBatch(kept, four.sink(), control);
  ASSERT_EQ(one.lines.size(), four.lines.size());
  for (const char* name : {"foto.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"})
    EXPECT_EQ(testsupport::read_file(folder.file(std::string("eins/") + name)),
              testsupport::read_file(folder.file(std::string("vier/") + name)))
        << name;
}

}  // namespace
