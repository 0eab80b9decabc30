// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar with its two panels: panel 0, a 350-pixel text panel
// (empty unless a batch run says where it stands), and panel 1, the
// progress panel drawn by the window, which reaches to the right end of
// the bar.
//
// Qt paints a widget only inside its paint event, so "drawing straight on
// the bar" is a synchronous repaint of a rectangle in which the paint
// event draws over what is there without erasing: the widget paints
// opaquely (WA_OpaquePaintEvent), so Qt leaves the old pixels in place and
// only the painted rectangle changes.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QPainter;

// A rectangle as the drawing interface hands it to an owner-draw handler:
// right and bottom exclusive, signed 32-bit coordinates.
struct TRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const TRect&) const = default;
};

QRect ToQRect(const TRect& rect);  // empty when right <= left or bottom <= top

// The filled part of the progress bar for `percent` in `panel`: from
// (L, T) to (L + percent * (R - L) / 100, B), truncated toward zero. The
// product is taken in 64 bits and the result kept inside the panel, so a
// stray percentage cannot paint over the rest of the bar.
TRect ProgressFillRect(int32_t percent, const TRect& panel);

class TStatusBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 19;
  static constexpr int kPanel0Width = 350;

  explicit TStatusBar(QWidget* parent = nullptr);

  // Called for panel 1 during every full repaint, with the panel's inner
  // rectangle.
  std::function<void(QPainter&, const TRect&)> OnDrawPanel;

  // Rectangle of a panel's inside (inside its bevel) in bar coordinates.
  TRect PanelRect(int index) const;

  // Repaints `area` synchronously, letting `paint` draw over the current
  // pixels without erasing them.
  void PaintOver(const TRect& area, const std::function<void(QPainter&)>& paint);

  // The text of panel 0; a change repaints the panel at once.
  QString PanelText() const { return panel_text_; }
  void SetPanelText(const QString& text);

  // What the last paint event covered, for tests.
  int FullPaintCount() const { return full_paints_; }
  int OverPaintCount() const { return over_paints_; }
  QRect LastPaintRect() const { return last_paint_rect_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const std::function<void(QPainter&)>* over_painter_ = nullptr;
  QRect over_area_;
  QString panel_text_;
  int full_paints_ = 0;
  int over_paints_ = 0;
  QRect last_paint_rect_;
};
