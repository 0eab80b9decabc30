// SPDX-License-Identifier: GPL-3.0-or-later
// Rectangles of the text mask, for the plain text pass and its options.
#pragma once

#include <QString>
#include <algorithm>
#include <cstdint>

class QFontMetrics;

struct TextArea {
  int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // [x0, x1) x [y0, y1)
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

inline TextArea UniteAreas(const TextArea& a, const TextArea& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return TextArea{std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

inline TextArea IntersectAreas(const TextArea& a, const TextArea& b) {
  return TextArea{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// Everything a line can paint with its top-left corner at (left, top): its
// opaque background cell and its glyphs, widened by a few pixels for
// underline, strike-out and hinting.
TextArea TextLineArea(const QFontMetrics& metrics, const QString& line, int64_t left, int64_t top,
                      int64_t advance, int64_t height, int64_t ascent);
