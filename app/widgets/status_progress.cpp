// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/status_progress.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int kPanelGap = 2;   // between the panels' bevels
constexpr int kPanelTop = 2;   // the panels leave a line above them
constexpr int kTextInset = 3;  // between panel 0's bevel and its text
}  // namespace

QRect ToQRect(const TRect& rect) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return QRect();
  return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

TRect ProgressFillRect(int32_t percent, const TRect& panel) {
  const int64_t width = int64_t(panel.right) - panel.left;
  int64_t right = panel.left + int64_t(percent) * width / 100;
  right = std::clamp<int64_t>(right, panel.left, std::max<int64_t>(panel.left, panel.right));
  return TRect{panel.left, panel.top, int32_t(right), panel.bottom};
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StatusBar1"));
  setFixedHeight(kHeight);
  // The paint event fills every pixel itself on a full repaint and draws
  // over the old pixels on a partial one; Qt must not erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TRect TStatusBar::PanelRect(int index) const {
  // Each panel sits in a one-pixel lowered bevel; the rectangle is inside it.
  if (index == 0) return TRect{1, kPanelTop + 1, kPanel0Width - kPanelGap - 1, height() - 1};
  return TRect{kPanel0Width + 1, kPanelTop + 1, std::max(kPanel0Width + 1, width() - 1), height() - 1};
}

void TStatusBar::PaintOver(const TRect& area, const std::function<void(QPainter&)>& paint) {
  const QRect target = ToQRect(area);
  if (target.isEmpty() || !isVisible()) return;
  over_painter_ = &paint;
  over_area_ = target;
  repaint(target);
  over_painter_ = nullptr;
}

void TStatusBar::SetPanelText(const QString& text) {
  if (text == panel_text_) return;
  panel_text_ = text;
  // Painted at once, like the progress panel beside it.
  repaint(ToQRect(PanelRect(0)));
}

void TStatusBar::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  last_paint_rect_ = event->rect();
  // A synchronous repaint also paints whatever else was waiting to be
  // painted (after a resize, say); only a paint of the strip alone may
  // leave the old pixels around it.
  if (over_painter_ && (event->region() - over_area_).isEmpty()) {
    ++over_paints_;
    painter.setClipRegion(event->region());
    (*over_painter_)(painter);
    return;
  }
  ++full_paints_;
  painter.fillRect(rect(), palette().color(QPalette::Window));
  const QColor light = palette().color(QPalette::Light);
  const QColor shadow = palette().color(QPalette::Dark);
  for (int index = 0; index < 2; ++index) {
    const QRect inside = ToQRect(PanelRect(index));
    const QRect bevel = inside.adjusted(-1, -1, 1, 1);
    painter.setPen(shadow);
    painter.drawLine(bevel.topLeft(), bevel.topRight());
    painter.drawLine(bevel.topLeft(), bevel.bottomLeft());
    painter.setPen(light);
    painter.drawLine(bevel.bottomLeft(), bevel.bottomRight());
    painter.drawLine(bevel.topRight(), bevel.bottomRight());
  }
  if (!panel_text_.isEmpty()) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(ToQRect(PanelRect(0)).adjusted(kTextInset, 0, -kTextInset, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, panel_text_);
  }
  if (OnDrawPanel) {
    painter.save();
    OnDrawPanel(painter, PanelRect(1));
    painter.restore();
  }
}
