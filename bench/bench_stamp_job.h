// SPDX-License-Identifier: GPL-3.0-or-later
// The job the stamping benchmarks run: the picture watermark "Eingepasst" at
// 50 %, two text lines "Zentriert" at 75 %, JPEG quality 75, the way a
// photographer's batch is usually set up.
#pragma once

#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/job.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"

// A 320 x 200 logo-like watermark (24 bits); the caller releases it.
TDibImage MakeLogoWatermark();

PictureStampSettings BenchPictureSettings();
TextStampSettings BenchTextSettings();

// The whole job over the given sources, written into out_dir beside them.
// watermark stays the caller's.
WatermarkJob MakeBenchJob(std::vector<std::string> sources, const std::string& out_dir,
                          const TDibImage* watermark);
