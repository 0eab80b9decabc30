// SPDX-License-Identifier: GPL-3.0-or-later
// What turns one source file into the picture the passes stamp: load,
// bring to 24 bits, fit to the output's size and colours. The batch run
// and the preview both prepare a source through PrepareSource, so the
// preview stamps the picture the run writes; the single steps stay
// callable for the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "image/depth_up.h"
#include "pixkit/pixkit.h"
#include "run/export_options.h"

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
  int jpeg_chroma = 0;  // PIXKIT_CHROMA_* of a colour JPEG's planes; 0 for none of the three
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
// export's size for the source as stored, sharpens it and converts its
// colours to sRGB when asked, so that the passes place and size the mark
// on the picture as it is written. Nothing happens with these options off.
// False when there was no memory for it; the record may then be scaled
// already but is not sharpened.
bool FitForOutput(TDibImage& record, SourceDepth& depth, const LoadedSource& loaded,
                  const ExportOptions& output);

// A source prepared for the passes. With the load failed, loaded.record's
// Bits is null and loaded.reason says why. The caller owns the record and
// releases it with deldib either way.
struct PreparedSource {
  LoadedSource loaded;
  SourceDepth depth;             // what it was before BringTo24Bits
  bool out_of_memory = false;    // loaded, but FitForOutput had no memory
  bool profile_dropped = false;  // an export's source whose ICC profile did not fit its pixels
};

// LoadSource, then, when it loaded, on_loaded (may be empty: told the
// record as loaded, before anything else is done to it), BringTo24Bits,
// for an export DropUnusableIccProfile, and FitForOutput. A promotion without memory leaves the record at its
// own depth, as BringTo24Bits does.
PreparedSource PrepareSource(const std::string& path, const PixkitCallOptions* options,
                             const ExportOptions& output,
                             const std::function<void(const TDibImage& loaded)>& on_loaded = {});
