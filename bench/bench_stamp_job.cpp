// SPDX-License-Identifier: GPL-3.0-or-later
// The stamping benchmarks' job, in one place so that every benchmark times
// the same work.
#include "bench_stamp_job.h"

#include <cstdlib>
#include <utility>

TDibImage MakeLogoWatermark() {
  TDibImage d = newdib(320, 200, 24, nullptr, 0);
  if (d.Bits == nullptr) return d;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) {
      const bool ring = std::abs((x - 160) * (x - 160) + (y - 100) * (y - 100) - 80 * 80) < 900;
      setpixel(&d, x, y, ring ? 0x2040C0u : 0xF0F0F0u - uint32_t(x / 4));
    }
  return d;
}

PictureStampSettings BenchPictureSettings() {
  PictureStampSettings picture;  // "Eingepasst", margin 20, 50%
  picture.position = 9;
  picture.margin = 20;
  picture.transparency = 50;
  return picture;
}

TextStampSettings BenchTextSettings() {
  TextStampSettings text;  // start font, "Zentriert", margin 20, 75%
  text.text = "Stempora Wasserzeichen\n\xC2\xA9 Fotostudio am Markt";
  text.position = 4;
  text.margin = 20;
  text.transparency = 75;
  return text;
}

WatermarkJob MakeBenchJob(std::vector<std::string> sources, const std::string& out_dir,
                          const TDibImage* watermark) {
  WatermarkJob job;
  job.sources = std::move(sources);
  job.jpeg_quality = 75;
  job.out_dir = out_dir;
  job.add_picture = watermark != nullptr;
  job.add_text = true;
  job.picture = BenchPictureSettings();
  job.text = BenchTextSettings();
  job.watermark = watermark;
  return job;
}
