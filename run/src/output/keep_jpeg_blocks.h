// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a JPEG source as JPEG with only the blocks under the marks coded
// again (ExportOptions::keep_jpeg_blocks). The run asks here first for
// each source; where the mode does not apply the ordinary path runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/job.h"
#include "run/log_text.h"

// The export changes what a kept block would have to survive: the size, the
// file format (anything but "wie Quelle" and JPEG) or the colour; or it
// strips metadata, which the kept blocks' path does not.
bool ExportForbidsKeptJpegBlocks(const ExportOptions& output);

// Every upright pixel the job's marks can change on a picture of width x
// height, as rectangles (possibly overlapping, reaching past the edges):
// the placed picture and the text block with its outline, shadow and any
// turn, the whole picture for a tiled mark. source and number are the
// text variables' (StampSource).
std::vector<PixkitRect> MarkReach(const WatermarkJob& job, const std::string& source, int64_t number,
                                  int64_t width, int64_t height);

// What became of one source.
struct KeptBlocksSave {
  bool applied = false;  // false: nothing was written, take the ordinary path
  bool written = false;
  int reason = PIXKIT_REASON_NONE;  // of a failed save
};

// Stamps source (a JPEG, opened as listed, that PixkitProbeJpegBlocks
// found to be info) exactly as StampSource does and writes it to output
// keeping every block the marks cannot touch. Not applied where the marks
// cover more than half of the blocks, or where the source changed since
// the probe. An exception of the stamping leaves through here.
// loaded is called once the MCUs under the marks are decoded, before they
// are stamped (the run makes the output folder then).
KeptBlocksSave SaveKeepingJpegBlocks(const WatermarkJob& job, const std::string& source, int64_t number,
                                     const PixkitJpegBlocksInfo& info, const std::string& output,
                                     const PixkitCallOptions* call, const std::function<void()>& loaded);
