#include "rx_label.h"

#include <QPainter>

TRxLabel::TRxLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setAttribute(Qt::WA_TranslucentBackground);
}

void TRxLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  int flags = int(alignment());
  if (wordWrap()) flags |= Qt::TextWordWrap;
  const QRect area = contentsRect();
  painter.setPen(palette().color(QPalette::Light));
  painter.drawText(area.translated(-1, -1), flags, text());
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(area, flags, text());
}
