// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/page_frame.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "widgets/rx_label.h"

namespace {

constexpr int kPictureLeft = 7;
constexpr int kPictureTop = 7;
constexpr QSize kPictureSize(195, 284);
constexpr QPoint kSideBoxPos(8, 8);
constexpr QSize kSideBoxSize(177, 73);
constexpr QPoint kHeaderLabelPos(16, 10);

void DrawBevel(QPainter& p, QRect& area, TBevelPanel::Bevel bevel, const QPalette& palette) {
  if (bevel == TBevelPanel::Bevel::kNone) return;
  const QColor light = palette.color(QPalette::Light);
  const QColor shadow = palette.color(QPalette::Dark);
  const QColor top_left = bevel == TBevelPanel::Bevel::kRaised ? light : shadow;
  const QColor bottom_right = bevel == TBevelPanel::Bevel::kRaised ? shadow : light;
  p.setPen(top_left);
  p.drawLine(area.topLeft(), area.topRight());
  p.drawLine(area.topLeft(), area.bottomLeft());
  p.setPen(bottom_right);
  p.drawLine(area.bottomLeft(), area.bottomRight());
  p.drawLine(area.topRight(), area.bottomRight());
  area.adjust(1, 1, -1, -1);
}

}  // namespace

TBevelPanel::TBevelPanel(Bevel outer, Bevel inner, QColor fill, QWidget* parent)
    : QWidget(parent), outer_(outer), inner_(inner), fill_(fill) {}

void TBevelPanel::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  update();
}

void TBevelPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect area = rect();
  DrawBevel(painter, area, outer_, palette());
  DrawBevel(painter, area, inner_, palette());
  if (picture_.isNull())
    painter.fillRect(area, fill_);
  else
    painter.drawPixmap(area, picture_);
}

PageFrame BuildPageFrame(QWidget* page, const QString& header_text, const QString& side_text,
                         SidePicture picture) {
  PageFrame frame;
  auto* outer = new QVBoxLayout(page);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  auto* header =
      new TBevelPanel(TBevelPanel::Bevel::kLowered, TBevelPanel::Bevel::kRaised, kHeaderColour, page);
  header->setFixedHeight(kHeaderHeight);
  frame.header_label = new TRxLabel(header_text, header);
  QFont bold = page->font();
  bold.setBold(true);
  frame.header_label->setFont(bold);
  frame.header_label->move(kHeaderLabelPos);
  frame.header_label->adjustSize();
  frame.header_label->setObjectName(page->objectName() + QStringLiteral("HeaderLabel"));
  outer->addWidget(header);

  auto* body = new QHBoxLayout();
  body->setContentsMargins(0, 0, 0, 0);
  body->setSpacing(0);
  outer->addLayout(body, 1);

  auto* side =
      new TBevelPanel(TBevelPanel::Bevel::kLowered, TBevelPanel::Bevel::kRaised, kSidePanelColour, page);
  side->setFixedWidth(kSidePanelWidth);
  body->addWidget(side);

  auto* picture_panel =
      new TBevelPanel(TBevelPanel::Bevel::kLowered, TBevelPanel::Bevel::kNone, kSidePanelColour, side);
  picture_panel->setGeometry(QRect(QPoint(kPictureLeft, kPictureTop), kPictureSize));
  picture_panel->SetPicture(MakeSidePicture(picture, kPictureSize - QSize(2, 2)));

  auto* side_box = new TBevelPanel(TBevelPanel::Bevel::kLowered, TBevelPanel::Bevel::kRaised, kHeaderColour,
                                   picture_panel);
  side_box->setGeometry(QRect(kSideBoxPos, kSideBoxSize));
  frame.side_label = new TRxLabel(side_text, side_box);
  QFont side_font;
  side_font.setFamilies(
      {QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  side_font.setPixelSize(19);
  side_font.setWeight(QFont::Black);
  frame.side_label->setFont(side_font);
  frame.side_label->setWordWrap(true);
  QPalette side_palette = frame.side_label->palette();
  side_palette.setColor(QPalette::WindowText, kSideTextColour);
  frame.side_label->setPalette(side_palette);
  frame.side_label->setGeometry(QRect(QPoint(4, 4), kSideBoxSize - QSize(8, 8)));
  frame.side_label->setObjectName(page->objectName() + QStringLiteral("SideLabel"));

  frame.client = new QWidget(page);
  frame.client->setObjectName(page->objectName() + QStringLiteral("Client"));
  body->addWidget(frame.client, 1);
  return frame;
}
