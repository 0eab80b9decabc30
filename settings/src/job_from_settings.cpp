// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>

#include "settings/settings_file.h"

int64_t MarginPixels(double value) {
  // Margins beyond a trillion pixels place nothing on any picture the
  // library can hold, and keep every placement sum far from overflow.
  constexpr double kLimit = 1e12;
  if (std::isnan(value)) return 0;
  if (value > kLimit) value = kLimit;
  if (value < -kLimit) value = -kLimit;
  return int64_t(value);  // toward zero
}

WatermarkJob JobFromSettings(const SettingsFileContent& content, void* owner) {
  WatermarkJob job;
  job.sources = content.sources;
  job.sources_folder = content.sources_folder;
  job.jpeg_quality = content.jpeg_quality;
  job.out_dir = content.out_dir;
  job.add_picture = content.picture_on;
  job.add_text = content.text_on;
  job.picture.position = content.picture_position;
  job.picture.margin = MarginPixels(content.picture_margin);
  job.picture.transparency = content.picture_transparency;
  job.picture.options = content.options.picture;
  job.text.text = content.text;
  if (content.font) job.text.font = *content.font;
  job.text.position = content.text_position;
  job.text.margin = MarginPixels(content.text_margin);
  job.text.transparency = content.text_transparency;
  job.text.options = content.options.text;
  job.output = content.options.output;
  job.watermark = &content.watermark;
  job.owner = owner;
  return job;
}
