// SPDX-License-Identifier: GPL-3.0-or-later
// What turns one source into its stamped picture, as plain steps in the
// order they are taken: load, bring to 24 bits, stamp, bring back. The
// batch run takes every step and saves the result; the preview takes the
// first two once per source and stamps a copy for every change of the
// settings, showing the 24-bit picture without bringing it back. Both stamp
// through here, so the preview shows the pixels the run writes.
#pragma once

#include <cstdint>
#include <string>

#include "image/depth_up.h"
#include "pixkit/pixkit.h"
#include "run/export_options.h"
#include "run/job.h"

// A source as loaded: the record, or with Bits null the PIXKIT_REASON_*
// why not. The caller owns the record and releases it with deldib either
// way.
struct LoadedSource {
  TDibImage record{};
  int reason = PIXKIT_REASON_NONE;
  // Told by an export load (zero otherwise): the upright size as stored,
  // before any shrinking while decoding, the content's PIXKIT_FORMAT_*
  // and a JPEG's estimated quality.
  int32_t stored_width = 0;
  int32_t stored_height = 0;
  int content_format = 0;
  int jpeg_quality = 0;
};

// options as OpenDibWith takes them (null: the library's settings, no
// progress).
LoadedSource LoadSource(const std::string& path, const PixkitCallOptions* options);

// The same for a job's outputs: with a size asked for, a JPEG is decoded
// at the smallest DCT scaling that still holds the output size; with the
// further sources on, WebP, HEIF and AVIF content loads. With every export
// option off the record is LoadSource's.
LoadedSource LoadSource(const std::string& path, const PixkitCallOptions* options,
                        const ExportOptions& output);

// What a source was before it was brought to 24 bits.
struct SourceDepth {
  int bit_count = 24;  // as loaded
  AlphaPlane alpha;    // a 32-bit source's alpha, set aside
};

// The passes address every pixel as three bytes: palette and 16-bit
// pictures are promoted, and a 32-bit picture keeps its alpha aside. A
// promotion the library has no memory for leaves the record as it was,
// which the passes leave alone.
SourceDepth BringTo24Bits(TDibImage& record);

// After BringTo24Bits: scales the record (and the alpha set aside) to the
// export's size for the source as stored, and converts its colours to
// sRGB when asked, so that the passes place and size the mark on the
// picture as it is written. Nothing happens with both options off. False
// when there was no memory for it; the record is then as it was.
bool FitForOutput(TDibImage& record, SourceDepth& depth, const LoadedSource& loaded,
                  const ExportOptions& output);

// The picture pass, then the text pass, each when the job asks for it. With
// variables on, the text's variables are replaced for this source first:
// source is its path as opened, number its position in the whole list (from
// 1); the size is the record's.
void StampSource(TDibImage& record, const WatermarkJob& job, const std::string& source, int64_t number);

// Brings a stamped record back to the depth it was loaded at: the alpha
// set aside is restored, a palette picture is reduced again (a 16-bit one
// stays at 24 bits).
void BringBackToSourceDepth(TDibImage& record, const SourceDepth& depth);
