// SPDX-License-Identifier: GPL-3.0-or-later
// The text pass as the run and the preview call it: the plain pass with the
// options built on it.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"
#include "run/plain_text_pass.h"
#include "run/mark_options.h"

struct TextStampSettings : PlainTextSettings {
  TextOptions options;  // all off: the plain pass
};

// The settings with the options' sizes worked out for one image: a relative
// character height becomes the font's pixel size (a negative height), a
// margin in percent becomes pixels. Other settings are copied unchanged.
TextStampSettings SizeTextForImage(const TextStampSettings& settings, int64_t image_width,
                                   int64_t image_height);

// The text pass with its options, for the run and the preview; with every
// extra off it is StampPlainText.
//
// With options the sizes come from SizeTextForImage. Smooth edges blend by
// glyph coverage (antialiased drawing) instead of the exactly-black rule; an
// outline widens the glyphs by a disc of its width in its own colour; a
// shadow is the text with its outline moved by the offset and blurred (two
// box passes of the radius each way), blended under it with its own
// transparency. Outline width and blur radius are held to 0..255 pixels, the
// shadow offset to -10000..10000 (watermark_options.h). A turned block is
// sampled bilinearly by coverage; tiling repeats it over the grid of
// ForEachTileCorner, anchored at the placed block. A text of any size is
// stamped: it is drawn a window at a time when it is too large to hold.
void StampText(TDibImage& image, const TextStampSettings& settings);
