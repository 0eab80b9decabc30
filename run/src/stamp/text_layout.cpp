// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring and placing the text block.
#include <QFontMetrics>
#include <QString>
#include <algorithm>

#include "run/plain_text_pass.h"
#include "run/text_lines.h"

TextBlockLayout LayOutTextBlock(const PlainTextSettings& settings, int64_t image_width,
                                int64_t image_height) {
  TextBlockLayout layout;
  layout.lines = MemoLines(settings.text);
  const QFontMetrics metrics = TextFontMetrics(MakeTextQFont(settings.font));
  layout.line_height = metrics.height();
  layout.ascent = metrics.ascent();
  for (std::string& line : layout.lines) {
    // An empty line keeps its place as a line of normal height.
    if (line.empty()) line.push_back(' ');
    const int64_t width = metrics.horizontalAdvance(QString::fromStdString(line));
    layout.line_widths.push_back(width);
    layout.width = std::max(layout.width, width);
    layout.height += layout.line_height;
  }
  if (layout.lines.empty()) layout.height = 0;
  // Only the nine fixed placements apply to text.
  if (settings.position >= 0 && settings.position <= 8)
    layout.place = PlaceBlockXY(settings.position, image_width, image_height, layout.width, layout.height,
                                settings.margin, settings.margin_y.value_or(settings.margin));
  return layout;
}
