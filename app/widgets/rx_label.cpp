// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/rx_label.h"

#include <QPainter>

namespace {
constexpr int kShadowSize = 1;
}  // namespace

TRxLabel::TRxLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setAttribute(Qt::WA_TranslucentBackground);
  // Text starts at the top, as labels of this kind lay it out; a taller
  // label leaves its spare room below the text.
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QSize TRxLabel::sizeHint() const { return QLabel::sizeHint() + QSize(kShadowSize, kShadowSize); }

QSize TRxLabel::minimumSizeHint() const {
  return QLabel::minimumSizeHint() + QSize(kShadowSize, kShadowSize);
}

void TRxLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  int flags = int(alignment());
  if (wordWrap()) flags |= Qt::TextWordWrap;
  // The text sits one pixel right of and below the shadow, so the shadow
  // shows up and to the left of it.
  const QRect shadow_area = contentsRect().adjusted(0, 0, -kShadowSize, -kShadowSize);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawText(shadow_area, flags, text());
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(shadow_area.translated(kShadowSize, kShadowSize), flags, text());
}
