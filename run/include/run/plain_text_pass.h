// SPDX-License-Identifier: GPL-3.0-or-later
// The plain text pass: the lines drawn into a mask and the font colour
// blended in where the mask is exactly black. It knows nothing of the
// options; they build on it (stamp_text.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/placement.h"
#include "run/text_font.h"

struct PlainTextSettings {
  // The memo's whole text (UTF-8) as the memo or the settings file holds it;
  // MemoLines (text_lines.h) splits it into the lines drawn.
  std::string text;
  TextFont font;
  int position = 4;     // placement index 0..8
  int64_t margin = 20;  // pixels
  // Above and below, where it differs from margin (a further mark's own).
  std::optional<int64_t> margin_y;
  int transparency = 75;  // 0..100; values outside are taken as the nearest end
};

// The text block as the pass measures and places it: lines as drawn (an
// empty line becomes " "), each line's advance width, the common line height
// (QFontMetrics::height), the block size and where PlaceBlock puts it.
// Line i is drawn with its top-left corner at (place.left, place.top + i *
// line_height), its baseline at that y plus ascent.
struct TextBlockLayout {
  std::vector<std::string> lines;
  std::vector<int64_t> line_widths;
  int64_t line_height = 0;
  int64_t ascent = 0;
  int64_t width = 0;   // widest line
  int64_t height = 0;  // sum of the line heights
  BlockPlacement place;
};
// Needs a QGuiApplication. Text placements are 0..8 only; 9 and 10 are not
// valid for text.
TextBlockLayout LayOutTextBlock(const PlainTextSettings& settings, int64_t image_width, int64_t image_height);

// The plain pass: image is a 24-bit
// record; anything else is left alone. The lines are drawn in black on white
// into a mask that covers only where their glyphs can land; image pixels
// under exactly black mask pixels become (image * t + colour * (100 - t)) /
// 100 byte by byte, the colour's bytes taken from font.color as held. Needs a
// Qt application object (QGuiApplication) in the process; without one the
// image is left alone. Any thread may call it: Qt 6 draws text into a QImage
// on every thread, each with its own font engines.
void StampPlainText(TDibImage& image, const PlainTextSettings& settings);
