// SPDX-License-Identifier: GPL-3.0-or-later
// Everything one batch run needs, read from the window or a settings file
// once at the start. The run never looks at widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/export_options.h"
#include "run/further_marks.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"

struct WatermarkJob {
  std::vector<std::string> sources;  // paths as listed (as stored)
  // Where relative sources are opened from: the folder of the settings
  // file they came from. Empty: the current folder.
  std::string sources_folder;
  int jpeg_quality = 75;  // 1..100
  std::string out_dir = "Wasserzeichen";
  bool add_picture = false;
  bool add_text = true;
  PictureStampSettings picture;
  TextStampSettings text;
  ExportOptions output;  // size, format, names and folders of the outputs
  // Stamped after the picture and the text, in this order (none: the job
  // stamps as it always has).
  std::vector<FurtherMark> further_marks;
  const TDibImage* watermark = nullptr;  // 24-bit, owned by the caller
  void* owner = nullptr;                 // handed to OpenDib/SaveDib for progress
};

// Receives each log line as it is appended.
using LogSink = std::function<void(const std::string& line)>;
