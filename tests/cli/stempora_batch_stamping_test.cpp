// SPDX-License-Identifier: GPL-3.0-or-later
// The whole road of a source through stempora-batch: load, promote, stamp
// the picture and the text, save. Lossless formats (BMP, TGA) let the
// written pixels be compared exactly.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

#include "cli_scratch_job.h"
#include "image/depth_up.h"
#include "run/stamp_text.h"

using namespace cli_test;

namespace {

constexpr int kWidth = 30;
constexpr int kHeight = 20;

uint32_t source_colour(int x, int y) { return uint32_t(8 * x) | uint32_t(12 * y) << 8 | uint32_t(90) << 16; }
uint32_t mark_colour(int x, int y) { return uint32_t(40 * x) | uint32_t(60 * y) << 8 | uint32_t(250) << 16; }

void save_source(const std::string& path, int format, int bit_count = 24) {
  TDibImage picture = newdib(kWidth, kHeight, bit_count, nullptr, 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      uint32_t value = source_colour(x, y);
      if (bit_count == 32) value |= uint32_t(5 * x + y) << 24;
      setpixel(&picture, x, y, value);
    }
  ASSERT_EQ(SaveDib(&picture, path.c_str(), format, nullptr), 1);
  deldib(&picture);
}

TextFont small_bold_face() {
  TextFont font;
  font.name = "DejaVu Sans";
  font.size = 9;
  font.height = -12;  // 9 points at 96 pixels per inch
  font.style = kFontBold;
  font.color = 0x0000FF;
  return font;
}

// The window's start font ("Arial Black", 14 points), in red.
TextFont start_face() {
  TextFont font;
  font.color = 0x0000FF;
  return font;
}

// Writes a job that stamps a 6 x 4 picture at "Unten Rechts" with margin 3
// and transparency 40, and optionally text.
void write_stamping_job(const std::string& path, const std::vector<std::string>& sources, bool add_text,
                        const TextFont& font = small_bold_face()) {
  SettingsFileContent content;
  content.sources = sources;
  content.picture_on = true;
  content.picture_off = false;
  content.picture_position = 8;
  content.picture_margin = 3;
  content.picture_transparency = 40;
  content.text_on = add_text;
  content.text_off = !add_text;
  content.text = "Stempora\r\nÄÖÜ é";
  content.text_position = 4;
  content.text_margin = 0;
  content.text_transparency = 0;
  content.font = font;
  content.watermark = newdib(6, 4, 24, nullptr, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) setpixel(&content.watermark, x, y, mark_colour(x, y));
  const SettingsWriteResult written = WriteSettingsFile(path, content);
  deldib(&content.watermark);
  ASSERT_TRUE(written.ok) << written.message;
}

uint32_t blend(uint32_t image, uint32_t stamp, int t) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t i = (image >> shift) & 255, s = (stamp >> shift) & 255;
    out |= ((i * uint32_t(t) + s * uint32_t(100 - t)) / 100) << shift;
  }
  return out;
}

void expect_picture_stamped(const std::string& path, int expected_bits) {
  TDibImage written = OpenDib(path.c_str(), 0, nullptr);
  ASSERT_NE(written.Bits, nullptr) << path;
  ASSERT_EQ(written.Info->bmiHeader.biWidth, kWidth);
  ASSERT_EQ(written.Info->bmiHeader.biBitCount, expected_bits);
  // "Unten Rechts": left = 30 - 3 - 6 = 21, top = 20 - 3 - 4 = 13.
  int differences = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = x >= 21 && x < 27 && y >= 13 && y < 17;
      const uint32_t expected =
          inside ? blend(source_colour(x, y), mark_colour(x - 21, y - 13), 40) : source_colour(x, y);
      const uint32_t actual = getpixel(&written, x, y);
      if ((actual & 0xFFFFFF) != expected) ++differences;
      if (expected_bits == 32) {
        EXPECT_EQ(actual >> 24, uint32_t(5 * x + y)) << x << "," << y;
      }
    }
  EXPECT_EQ(differences, 0) << path;
  deldib(&written);
}

QGuiApplication& gui() {
  static int argc = 1;
  static char name[] = "cli_tests";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    return *app;
  }
  return *static_cast<QGuiApplication*>(QGuiApplication::instance());
}

}  // namespace

TEST(StemporaBatchStamping, PictureLandsExactlyOnBmpAndTgaSources) {
  ScratchFolder folder;
  save_source(folder.file("a.bmp"), PIXKIT_FORMAT_BMP);
  save_source(folder.file("b.TGA"), PIXKIT_FORMAT_TGA);
  write_stamping_job(folder.file("job.stx"), {folder.file("a.bmp"), folder.file("b.TGA")}, false);

  const BatchRun run = run_batch({"job.stx"}, folder.path());
  ASSERT_EQ(run.exit_code, 0) << run.err;
  expect_picture_stamped(folder.file("Wasserzeichen/a.bmp"), 24);
  expect_picture_stamped(folder.file("Wasserzeichen/b.TGA"), 24);
}

TEST(StemporaBatchStamping, ThirtyTwoBitSourceKeepsItsAlphaUntouched) {
  ScratchFolder folder;
  save_source(folder.file("alpha.tga"), PIXKIT_FORMAT_TGA, 32);
  write_stamping_job(folder.file("job.stx"), {folder.file("alpha.tga")}, false);

  const BatchRun run = run_batch({"job.stx"}, folder.path());
  ASSERT_EQ(run.exit_code, 0) << run.err;
  expect_picture_stamped(folder.file("Wasserzeichen/alpha.tga"), 32);
}

TEST(StemporaBatchStamping, CommandLineTextMatchesTheInProcessRenderingPixelForPixel) {
  gui();
  for (const TextFont& font : {small_bold_face(), start_face()}) {
    ScratchFolder folder;
    TDibImage white = newdib(120, 60, 24, nullptr, 0);
    std::memset(white.Bits, 255, size_t(white.RowBytes) * 60);
    ASSERT_EQ(SaveDib(&white, folder.file("w.bmp").c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
    deldib(&white);
    write_stamping_job(folder.file("job.stx"), {folder.file("w.bmp")}, true, font);

    const BatchRun run = run_batch({"job.stx"}, folder.path());
    ASSERT_EQ(run.exit_code, 0) << run.err;
    TDibImage from_batch = OpenDib(folder.file("Wasserzeichen/w.bmp").c_str(), 0, nullptr);
    ASSERT_NE(from_batch.Bits, nullptr);

    // The same job read back and run here, as the window runs it: picture
    // first, then text.
    SettingsReadResult read = ReadSettingsFile(folder.file("job.stx"));
    ASSERT_TRUE(read.ok()) << read.message;
    TDibImage here = OpenDib(folder.file("w.bmp").c_str(), 0, nullptr);
    const WatermarkJob job = JobFromSettings(read.content);
    StampPicture(here, read.content.watermark, job.picture);
    StampText(here, job.text);

    int stamped = 0, differences = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 120; ++x) {
        const uint32_t expected = getpixel(&here, x, y);
        if (expected == 0x0000FF) ++stamped;
        if (getpixel(&from_batch, x, y) != expected) ++differences;
      }
    EXPECT_GT(stamped, 20) << font.name << ": the text should leave solid red pixels";
    EXPECT_EQ(differences, 0) << font.name;
    deldib(&here);
    deldib(&from_batch);
    deldib(&read.content.watermark);
  }
}
