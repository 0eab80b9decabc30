// SPDX-License-Identifier: GPL-3.0-or-later
// The plain text pass: the lines drawn in black on a white mask, and the font
// colour blended into the image wherever the mask came out exactly black.
// The glyphs are drawn without antialiasing, so each glyph pixel is exactly
// black and thin or diagonal strokes are stamped whole.
//
// The mask covers only where glyphs can land: the union of every line's
// drawn bounding rectangle (which takes in overhangs, accents and
// descenders), widened by a few pixels for underline, strike-out and
// hinting, and clipped to the image. Lines are drawn into it at the
// same whole-pixel offsets as into a mask of the image's full size, so the
// glyphs rasterise identically and the black pixels are the same.
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>

#include "image/dib_access.h"
#include "run/plain_text_pass.h"
#include "text_area.h"

// Everything a line can paint: its opaque background cell and its glyphs.
TextArea TextLineArea(const QFontMetrics& metrics, const QString& line, int64_t left, int64_t top,
                      int64_t advance, int64_t height, int64_t ascent) {
  const QRect glyphs = metrics.boundingRect(line);  // relative to the baseline origin
  const int64_t pad = 2 + height / 4;
  TextArea a;
  a.x0 = left + std::min<int64_t>(glyphs.left(), 0) - pad;
  a.x1 = left + std::max<int64_t>(int64_t(glyphs.right()) + 1, advance) + pad;
  a.y0 = top + std::min<int64_t>(ascent + glyphs.top(), 0) - pad;
  a.y1 = top + std::max<int64_t>(ascent + int64_t(glyphs.bottom()) + 1, height) + pad;
  return a;
}

void StampPlainText(TDibImage& image, const PlainTextSettings& settings) {
  if (!DibHoldsPixels(image, 24)) return;
  // Fonts need the Qt application object; the caller owns it.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  const int32_t width = DibWidth(image);
  const int32_t height = DibHeight(image);
  const TextBlockLayout layout = LayOutTextBlock(settings, width, height);
  if (layout.lines.empty() || !layout.place.valid) return;

  const QFont font = MakeTextQFont(settings.font);
  const QFontMetrics metrics = TextFontMetrics(font);
  const int64_t line_height = layout.line_height;

  std::vector<QString> lines;
  std::vector<TextArea> areas;
  TextArea mask_area;
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    lines.push_back(QString::fromStdString(layout.lines[i]));
    areas.push_back(TextLineArea(metrics, lines.back(), layout.place.left,
                                 layout.place.top + int64_t(i) * line_height, layout.line_widths[i],
                                 line_height, layout.ascent));
    mask_area = UniteAreas(mask_area, areas.back());
  }
  mask_area = IntersectAreas(mask_area, TextArea{0, 0, width, height});
  if (mask_area.empty()) return;

  QImage mask(int(mask_area.x1 - mask_area.x0), int(mask_area.y1 - mask_area.y0), QImage::Format_RGB32);
  if (mask.isNull()) return;
  mask.fill(0xFFFFFFFFu);
  {
    QPainter painter(&mask);
    // The font already asks for no antialiasing; the painter is told too.
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (size_t i = 0; i < lines.size(); ++i) {
      // A line that cannot reach the mask paints nothing into it; skipping it
      // also keeps the offsets below within int.
      if (IntersectAreas(areas[i], mask_area).empty()) continue;
      const int x = int(layout.place.left - mask_area.x0);
      const int y = int(layout.place.top + int64_t(i) * line_height - mask_area.y0);
      // Each line is drawn on an opaque white background the size of its cell.
      painter.fillRect(QRect(x, y, int(layout.line_widths[i]), int(line_height)), Qt::white);
      painter.drawText(QPoint(x, y + int(layout.ascent)), lines[i]);
    }
  }

  const unsigned t = unsigned(std::clamp(settings.transparency, 0, 100));
  const unsigned u = 100 - t;
  // The colour value as held; a system-colour reference is not resolved.
  const uint32_t colour = uint32_t(settings.font.color);
  const unsigned blue_u = ((colour >> 16) & 0xFF) * u;
  const unsigned green_u = ((colour >> 8) & 0xFF) * u;
  const unsigned red_u = (colour & 0xFF) * u;
  for (int my = 0; my < mask.height(); ++my) {
    const auto* m = reinterpret_cast<const uint32_t*>(mask.constScanLine(my));
    uint8_t* row = DibRow(image, int32_t(mask_area.y0 + my)) + 3 * mask_area.x0;
    for (int mx = 0; mx < mask.width(); ++mx) {
      // Only exactly black is text. Drawn without antialiasing, every glyph
      // pixel is.
      if ((m[mx] & 0xFFFFFFu) != 0) continue;
      uint8_t* p = row + 3 * mx;
      p[0] = uint8_t((p[0] * t + blue_u) / 100);
      p[1] = uint8_t((p[1] * t + green_u) / 100);
      p[2] = uint8_t((p[2] * t + red_u) / 100);
    }
  }
}
