// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/crisp_frame_style.h"

#include <QPaintDevice>
#include <QPainter>
#include <QStyleOption>
#include <cmath>

TCrispFrameStyle::TCrispFrameStyle() = default;

void TCrispFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
  const QPaintDevice* device = painter->device();
  const qreal ratio = device != nullptr ? device->devicePixelRatioF() : 1.0;
  // The line is Fusion's (another style draws its frames its own way); a
  // drop-down's list frame is Fusion's panel, not this line.
  const bool plain_frame = element == PE_Frame &&
                           baseStyle()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0 &&
                           !(widget != nullptr && widget->inherits("QComboBoxPrivateContainer"));
  if (!plain_frame || ratio == std::floor(ratio)) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  // The widget owns the screen pixels wholly inside it: a widget that
  // starts half-way into a pixel is clipped at the next one. The line goes
  // through the centres of its outermost owned pixels.
  const QTransform to_screen = painter->deviceTransform();
  const QRectF area = to_screen.mapRect(QRectF(option->rect));
  const QRectF centres(
      QPointF(std::ceil(area.left() - 0.01) + 0.5, std::ceil(area.top() - 0.01) + 0.5),
      QPointF(std::floor(area.right() + 0.01) - 0.5, std::floor(area.bottom() + 0.01) - 0.5));
  const QRectF line_rect = to_screen.inverted().mapRect(centres);
  painter->save();
  // Fusion's frame colour; a cosmetic pen is one screen pixel wide.
  painter->setPen(QPen(option->palette.window().color().darker(140).lighter(108), 0));
  painter->setBrush(Qt::NoBrush);
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->drawRect(line_rect);
  painter->restore();
}
