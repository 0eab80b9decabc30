// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/side_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace {

void PaintSky(QPainter& p, QSize size, QColor top, QColor bottom) {
  QLinearGradient gradient(0, 0, 0, size.height());
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  p.fillRect(QRect(QPoint(0, 0), size), gradient);
}

// A small photograph: white border, sky, sun and hills.
void PaintPhoto(QPainter& p, QRectF frame, double angle, QColor sky, QColor hill) {
  p.save();
  p.translate(frame.center());
  p.rotate(angle);
  const QRectF local(-frame.width() / 2, -frame.height() / 2, frame.width(), frame.height());
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRect(local.translated(3, 3));
  p.setBrush(QColor(252, 252, 248));
  p.drawRect(local);
  const QRectF inner = local.adjusted(6, 6, -6, -6);
  p.setBrush(sky);
  p.drawRect(inner);
  p.setBrush(QColor(255, 220, 80));
  p.drawEllipse(QPointF(inner.right() - inner.width() * 0.22, inner.top() + inner.height() * 0.25),
                inner.width() * 0.08, inner.width() * 0.08);
  QPainterPath hills;
  hills.moveTo(inner.bottomLeft());
  hills.lineTo(inner.left(), inner.top() + inner.height() * 0.7);
  hills.cubicTo(inner.left() + inner.width() * 0.3, inner.top() + inner.height() * 0.35,
                inner.left() + inner.width() * 0.5, inner.top() + inner.height() * 0.9, inner.right(),
                inner.top() + inner.height() * 0.55);
  hills.lineTo(inner.bottomRight());
  hills.closeSubpath();
  p.setBrush(hill);
  p.drawPath(hills);
  p.restore();
}

// A round seal with a star: the watermark motif.
void PaintSeal(QPainter& p, QPointF centre, double radius, int alpha) {
  p.save();
  p.setPen(QPen(QColor(128, 0, 0, alpha), radius * 0.08));
  p.setBrush(QColor(200, 40, 40, alpha / 2));
  p.drawEllipse(centre, radius, radius);
  QPainterPath star;
  for (int i = 0; i < 10; ++i) {
    const double r = (i % 2 == 0) ? radius * 0.7 : radius * 0.3;
    const double a = -M_PI / 2 + i * M_PI / 5;
    const QPointF point(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    if (i == 0)
      star.moveTo(point);
    else
      star.lineTo(point);
  }
  star.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 240, 200, alpha));
  p.drawPath(star);
  p.restore();
}

void PaintSources(QPainter& p, QSize size) {
  PaintSky(p, size, QColor(210, 232, 250), QColor(120, 160, 200));
  const double w = size.width() * 0.62, h = w * 0.75;
  const double cx = size.width() / 2.0, cy = size.height() * 0.62;
  PaintPhoto(p, QRectF(cx - w / 2, cy - h / 2 - 30, w, h), -14, QColor(160, 200, 240), QColor(90, 140, 70));
  PaintPhoto(p, QRectF(cx - w / 2, cy - h / 2, w, h), 6, QColor(250, 200, 150), QColor(170, 110, 60));
  PaintPhoto(p, QRectF(cx - w / 2, cy - h / 2 + 30, w, h), -3, QColor(140, 190, 250), QColor(60, 130, 60));
}

void PaintText(QPainter& p, QSize size) {
  PaintSky(p, size, QColor(252, 244, 225), QColor(220, 190, 150));
  QFont font("DejaVu Serif");
  font.setPixelSize(size.height() / 3);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(128, 0, 0, 70));
  p.drawText(QRect(0, size.height() / 4, size.width(), size.height() / 2), Qt::AlignCenter,
             QStringLiteral("Aa"));
  p.setPen(QPen(QColor(90, 60, 40, 120), 3, Qt::SolidLine, Qt::RoundCap));
  const int left = size.width() / 8, right = size.width() * 7 / 8;
  for (int y = size.height() * 3 / 4; y < size.height() - 12; y += 14) {
    const int end = (y / 14) % 3 == 0 ? right - size.width() / 5 : right;
    p.drawLine(left, y, end, y);
  }
}

void PaintPicture(QPainter& p, QSize size) {
  PaintSky(p, size, QColor(225, 240, 225), QColor(130, 170, 130));
  const double w = size.width() * 0.78, h = w * 0.8;
  const QRectF frame((size.width() - w) / 2, size.height() * 0.62 - h / 2, w, h);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(110, 70, 30));
  p.drawRect(frame.adjusted(-8, -8, 8, 8));
  p.setBrush(QColor(200, 160, 90));
  p.drawRect(frame.adjusted(-4, -4, 4, 4));
  PaintPhoto(p, frame, 0, QColor(150, 200, 250), QColor(70, 140, 60));
  PaintSeal(p, frame.center() + QPointF(w * 0.2, h * 0.15), w * 0.16, 150);
}

void PaintProcess(QPainter& p, QSize size) {
  PaintSky(p, size, QColor(235, 235, 250), QColor(150, 150, 200));
  const double w = size.width() * 0.42, h = w * 0.78;
  PaintPhoto(p, QRectF(size.width() * 0.05, size.height() * 0.38, w, h), -5, QColor(150, 200, 250),
             QColor(70, 140, 60));
  const QRectF stamped(size.width() * 0.53, size.height() * 0.68, w, h);
  PaintPhoto(p, stamped, 4, QColor(150, 200, 250), QColor(70, 140, 60));
  PaintSeal(p, stamped.center(), w * 0.22, 170);
  p.setPen(QPen(QColor(40, 40, 110), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  QPainterPath arrow;
  const QPointF from(size.width() * 0.3, size.height() * 0.38 + h + 14);
  const QPointF to(size.width() * 0.58, size.height() * 0.68 + h / 2);
  arrow.moveTo(from);
  arrow.quadTo(QPointF(from.x(), to.y()), to);
  p.drawPath(arrow);
  p.setBrush(QColor(40, 40, 110));
  QPolygonF head;
  head << to + QPointF(4, 0) << to + QPointF(-8, -7) << to + QPointF(-8, 7);
  p.drawPolygon(head);
}

}  // namespace

QPixmap MakeSidePicture(SidePicture which, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  switch (which) {
    case SidePicture::kSources:
      PaintSources(painter, size);
      break;
    case SidePicture::kText:
      PaintText(painter, size);
      break;
    case SidePicture::kPicture:
      PaintPicture(painter, size);
      break;
    case SidePicture::kProcess:
      PaintProcess(painter, size);
      break;
  }
  return pixmap;
}

QPixmap MakeAboutPicture(QSize size) {
  QPixmap pixmap(size);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintSky(painter, size, QColor(240, 202, 166), QColor(192, 220, 192));
  const double w = size.width() * 0.7, h = w * 0.75;
  const QRectF photo((size.width() - w) / 2, (size.height() - h) / 2, w, h);
  PaintPhoto(painter, photo.translated(-12, -18), -8, QColor(250, 200, 150), QColor(170, 110, 60));
  PaintPhoto(painter, photo, 3, QColor(150, 200, 250), QColor(70, 140, 60));
  PaintSeal(painter, photo.center() + QPointF(w * 0.25, h * 0.25), w * 0.18, 190);
  return pixmap;
}
