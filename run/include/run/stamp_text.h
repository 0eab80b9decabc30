// Renders the text watermark and blends its colour into a 24-bit image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/placement.h"
#include "run/text_font.h"
#include "run/watermark_extras.h"

struct TextStampSettings {
  // The memo's whole text (UTF-8) as the memo or the settings file holds it;
  // MemoLines is the one place that splits it into lines.
  std::string text;
  TextFont font;
  int position = 4;       // placement index 0..8
  int64_t margin = 20;    // pixels
  int transparency = 75;  // 0..100; values outside are taken as the nearest end
  TextExtras extras;      // all off: the plain pass
};

// The memo's lines as the memo reports them: lines end at CR LF, LF or CR; an
// empty last line does not count, empty lines before it do; each line is cut
// at 4096 characters (UTF-8 code points).
std::vector<std::string> MemoLines(const std::string& text);

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
TextBlockLayout LayOutTextBlock(const TextStampSettings& settings, int64_t image_width, int64_t image_height);

// The settings with the extras' sizes worked out for one image: a relative
// character height becomes the font's pixel size (a negative height), a
// margin in percent becomes pixels. Other settings are copied unchanged.
TextStampSettings SizeTextForImage(const TextStampSettings& settings, int64_t image_width,
                                   int64_t image_height);

// The plain pass, the extras in settings left aside: image is a 24-bit
// record; anything else is left alone. The lines are drawn in black on white
// into a mask that covers only where their glyphs can land; image pixels
// under exactly black mask pixels become (image * t + colour * (100 - t)) /
// 100 byte by byte, the colour's bytes taken from font.color as held. Needs a
// Qt application object (QGuiApplication) in the process; without one the
// image is left alone. Any thread may call it: Qt 6 draws text into a QImage
// on every thread, each with its own font engines.
void StampPlainText(TDibImage& image, const TextStampSettings& settings);

// The text pass with its extras, for the run and the preview; with every
// extra off it is StampPlainText.
//
// With extras the sizes come from SizeTextForImage. Smooth edges blend by
// glyph coverage (antialiased drawing) instead of the exactly-black rule; an
// outline widens the glyphs by a disc of its width in its own colour; a
// shadow is the text with its outline moved by the offset and blurred (two
// box passes of the radius each way), blended under it with its own
// transparency. Outline width and blur radius are held to 0..64 pixels, the
// shadow offset to -4096..4096. A turned block is sampled bilinearly by
// coverage; tiling repeats it as TileCorners lists, anchored at the placed
// block.
void StampText(TDibImage& image, const TextStampSettings& settings);
