// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <initializer_list>

namespace {

constexpr int kGlyphSide = 16;

// The outline through the points, closed.
QPainterPath closed_path(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.moveTo(*points.begin());
  for (auto point = points.begin() + 1; point != points.end(); ++point) path.lineTo(*point);
  path.closeSubpath();
  return path;
}

void DrawCheckMark(QPainter& p, QPointF offset, const QColor& colour) {
  QPen pen(colour, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  QPainterPath path;
  path.moveTo(offset + QPointF(2.5, 8.5));
  path.lineTo(offset + QPointF(6, 12));
  path.lineTo(offset + QPointF(13, 4));
  p.drawPath(path);
}

void DrawDocument(QPainter& p, const QColor& fill) {
  const QPainterPath page = closed_path({{3.5, 1.5}, {10, 1.5}, {12.5, 4}, {12.5, 14.5}, {3.5, 14.5}});
  p.setPen(QPen(QColor(70, 70, 90), 1));
  p.setBrush(fill);
  p.drawPath(page);
  p.setPen(QPen(QColor(150, 150, 170), 1));
  for (int y = 6; y <= 12; y += 2) p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
}

void DrawFolder(QPainter& p) {
  p.setPen(QPen(QColor(140, 100, 20), 1));
  p.setBrush(QColor(250, 210, 90));
  const QPainterPath back =
      closed_path({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {13.5, 5}, {13.5, 13.5}, {1.5, 13.5}});
  p.drawPath(back);
  p.setBrush(QColor(255, 232, 140));
  const QPainterPath front = closed_path({{1.5, 13.5}, {4, 7.5}, {15.5, 7.5}, {13.5, 13.5}});
  p.drawPath(front);
}

void DrawDisk(QPainter& p) {
  p.setPen(QPen(QColor(20, 40, 90), 1));
  p.setBrush(QColor(60, 90, 170));
  p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
  p.setBrush(QColor(235, 235, 240));
  p.drawRect(QRectF(4.5, 1.5, 7, 5));
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void DrawLandscape(QPainter& p, const QRectF& frame) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(QColor(150, 200, 250));
  p.drawRect(frame);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 220, 60));
  p.drawEllipse(QPointF(frame.right() - 3.5, frame.top() + 3.5), 1.8, 1.8);
  p.setBrush(QColor(60, 150, 60));
  QPainterPath hills;
  hills.moveTo(frame.left() + 0.5, frame.bottom() - 0.5);
  hills.lineTo(frame.left() + frame.width() * 0.35, frame.top() + frame.height() * 0.45);
  hills.lineTo(frame.left() + frame.width() * 0.6, frame.top() + frame.height() * 0.7);
  hills.lineTo(frame.left() + frame.width() * 0.75, frame.top() + frame.height() * 0.55);
  hills.lineTo(frame.right() - 0.5, frame.bottom() - 0.5);
  hills.closeSubpath();
  p.drawPath(hills);
}

void DrawLetterA(QPainter& p, const QRectF& box, const QColor& colour) {
  QFont font("DejaVu Serif");
  font.setPixelSize(int(box.height()));
  font.setBold(true);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(box, Qt::AlignCenter, QStringLiteral("A"));
}

void DrawCross(QPainter& p) {
  p.setPen(QPen(QColor(200, 20, 20), 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(4, 4), QPointF(12, 12));
  p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

void DrawGoArrow(QPainter& p) {
  p.setPen(QPen(QColor(0, 90, 0), 1));
  p.setBrush(QColor(40, 170, 40));
  const QPainterPath arrow =
      closed_path({{1.5, 5.5}, {8.5, 5.5}, {8.5, 1.5}, {14.5, 8}, {8.5, 14.5}, {8.5, 10.5}, {1.5, 10.5}});
  p.drawPath(arrow);
}

void DrawInfo(QPainter& p) {
  p.setPen(QPen(QColor(20, 60, 150), 1));
  p.setBrush(QColor(70, 120, 220));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(8, 4.8), 1.3, 1.3);
  p.drawRect(QRectF(7, 7, 2, 5.5));
}

void DrawGlobe(QPainter& p) {
  p.setPen(QPen(QColor(20, 80, 140), 1));
  p.setBrush(QColor(120, 190, 240));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(5, 1.5, 6, 13));
  p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
  p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
}

void DrawTextLines(QPainter& p) {
  DrawLetterA(p, QRectF(0, 0, 11, 13), QColor(120, 20, 20));
  p.setPen(QPen(QColor(70, 70, 70), 1));
  p.drawLine(QPointF(9.5, 8.5), QPointF(15.5, 8.5));
  p.drawLine(QPointF(9.5, 11.5), QPointF(15.5, 11.5));
  p.drawLine(QPointF(1.5, 14.5), QPointF(15.5, 14.5));
}

void DrawGearWheel(QPainter& p) {
  p.setPen(QPen(QColor(80, 80, 80), 1));
  p.setBrush(QColor(200, 200, 210));
  p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
  p.setBrush(QColor(250, 250, 250));
  p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
  p.setPen(QPen(QColor(80, 80, 80), 2));
  for (int i = 0; i < 4; ++i) {
    p.save();
    p.translate(8, 8);
    p.rotate(45.0 * i);
    p.drawLine(QPointF(-7.5, 0), QPointF(-5.5, 0));
    p.drawLine(QPointF(5.5, 0), QPointF(7.5, 0));
    p.restore();
  }
}

void DrawGlyph(QPainter& p, GlyphId id) {
  switch (id) {
    case GlyphId::kOk:
      DrawCheckMark(p, {0, 0}, QColor(0, 140, 0));
      break;
    case GlyphId::kCancel:
      DrawCross(p);
      break;
    case GlyphId::kAll:
      DrawCheckMark(p, {-1.5, -1.5}, QColor(0, 110, 0));
      DrawCheckMark(p, {1.5, 2.0}, QColor(0, 160, 0));
      break;
    case GlyphId::kNewSettings:
      DrawDocument(p, Qt::white);
      p.setPen(QPen(QColor(230, 160, 0), 1.5));
      p.drawLine(QPointF(12, 0.5), QPointF(12, 5.5));
      p.drawLine(QPointF(9.5, 3), QPointF(14.5, 3));
      break;
    case GlyphId::kOpenSettings:
      DrawFolder(p);
      break;
    case GlyphId::kSaveSettings:
      DrawDisk(p);
      break;
    case GlyphId::kFont:
      DrawLetterA(p, QRectF(0, 0, 16, 16), QColor(20, 20, 120));
      p.setPen(QPen(QColor(200, 30, 30), 1.5));
      p.drawLine(QPointF(2, 15), QPointF(14, 15));
      break;
    case GlyphId::kPicture:
    case GlyphId::kTabPicture:
      DrawLandscape(p, QRectF(1.5, 2.5, 13, 11));
      break;
    case GlyphId::kGo:
      DrawGoArrow(p);
      break;
    case GlyphId::kInfo:
      DrawInfo(p);
      break;
    case GlyphId::kWebLogo:
      DrawGlobe(p);
      break;
    case GlyphId::kTabSources:
      DrawLandscape(p, QRectF(4.5, 1.5, 10, 8));
      DrawLandscape(p, QRectF(1.5, 6.5, 10, 8));
      break;
    case GlyphId::kTabText:
      DrawTextLines(p);
      break;
    case GlyphId::kTabProcess:
      DrawGearWheel(p);
      break;
  }
}

QPixmap Greyed(const QPixmap& normal) {
  QImage image = normal.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grey = 128 + qGray(row[x]) / 3;
      row[x] = qRgba(grey, grey, grey, qAlpha(row[x]) / 2);
    }
  }
  return QPixmap::fromImage(image);
}

}  // namespace

QIcon MakeGlyph(GlyphId id) {
  QPixmap normal(kGlyphSide, kGlyphSide);
  normal.fill(Qt::transparent);
  {
    QPainter painter(&normal);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawGlyph(painter, id);
  }
  QIcon icon;
  icon.addPixmap(normal, QIcon::Normal);
  icon.addPixmap(Greyed(normal), QIcon::Disabled);
  return icon;
}
