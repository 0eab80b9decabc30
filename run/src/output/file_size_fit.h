// SPDX-License-Identifier: GPL-3.0-or-later
// Writing an output within the export's file-size cap: portals, clubs and
// competitions take uploads up to so many kB, and the highest quality
// that stays below is what one would otherwise find by hand.
#pragma once

#include <string>

#include "pixkit/pixkit.h"
#include "run/job.h"
#include "run/prepare_source.h"

struct FittedSave {
  bool written = false;
  int reason = PIXKIT_REASON_NONE;  // of a failed write
  int quality = 0;                  // the quality written at; 0: no cap applied
  bool over_size = false;           // written at quality 1 and still over the cap
};

// SaveOutput under job.output.max_file_size. A format without a quality
// (PNG, TIFF, lossless WebP, ...) or no cap: SaveOutput as it stands. Else
// first at the quality that would apply anyway (a picture that fits is
// written exactly as without the cap), then by bisection between 1 and
// that quality, at most 8 encodes in all. The tries after the first go to
// hidden files beside the output; the best that fits is renamed over the
// output at the end, so the file is never encoded once more. Nothing fits
// even at quality 1: the file is written at 1 (over_size).
FittedSave SaveWithinFileSize(const TDibImage& record, const std::string& output, const std::string& source,
                              const LoadedSource& loaded, const WatermarkJob& job,
                              const PixkitCallOptions& call);
