// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/track_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace {
// The room QSlider's size hint gives each row of ticks.
constexpr int kTickSpace = 5;
}  // namespace

TTrackBar::TTrackBar(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {}

void TTrackBar::initStyleOption(QStyleOptionSlider* option) const {
  QSlider::initStyleOption(option);
  // The band is what the style asks for at this tick setting, as QSlider's
  // size hint works it out; painting, the mouse and the keyboard all see
  // the same band, so the handle is hit where it is drawn.
  int thickness = style()->pixelMetric(QStyle::PM_SliderThickness, option, this);
  if (option->tickPosition & QSlider::TicksAbove) thickness += kTickSpace;
  if (option->tickPosition & QSlider::TicksBelow) thickness += kTickSpace;
  const bool horizontal = option->orientation == Qt::Horizontal;
  const QSize needed = style()->sizeFromContents(
      QStyle::CT_Slider, option, horizontal ? QSize(width(), thickness) : QSize(thickness, height()), this);
  QRect band = option->rect;
  if (horizontal && needed.height() < band.height()) {
    band.setHeight(needed.height());
    band.moveTop(option->rect.top() + (option->rect.height() - needed.height()) / 2);
  } else if (!horizontal && needed.width() < band.width()) {
    band.setWidth(needed.width());
    band.moveLeft(option->rect.left() + (option->rect.width() - needed.width()) / 2);
  }
  option->rect = band;
}
