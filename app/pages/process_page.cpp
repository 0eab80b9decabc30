// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/process_page.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/page_controls.h"
#include "pages/page_frame.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/glyphs.h"
#include "widgets/rx_spin_edit.h"

namespace {
constexpr int kStartStripHeight = 36;
constexpr int kLogHeight = 89;
constexpr int kGroupTitleDrop = 6;
}  // namespace

ProcessPage BuildProcessPage(QWidget* parent) {
  ProcessPage page;
  page.TabSheet4 = new QWidget(parent);
  page.TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
  const PageFrame frame = BuildPageFrame(
      page.TabSheet4, QStringLiteral("Dateien verarbeiten -  Zielverzeichnis wählen und auf Go! klicken"),
      QStringLiteral("Wasserzeichen hinzufügen..."), SidePicture::kProcess);

  auto* layout = new QVBoxLayout(frame.client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* strip = new QWidget(frame.client);
  strip->setFixedHeight(kStartStripHeight);
  layout->addWidget(strip);
  page.GoBtn = new TBitBtnXP(QStringLiteral("Wasserzeichen hinzufügen..."), TBitBtnKind::kCustom, strip);
  page.GoBtn->setObjectName(QStringLiteral("GoBtn"));
  page.GoBtn->SetGlyph(MakeGlyph(GlyphId::kGo));
  page.GoBtn->setGeometry(8, 8, 209, 25);
  page.PreviewBtn = new TBitBtnXP(QStringLiteral("Vorschau..."), TBitBtnKind::kCustom, strip);
  page.PreviewBtn->setObjectName(QStringLiteral("PreviewBtn"));
  page.PreviewBtn->setGeometry(225, 8, 113, 25);

  auto* rest = new QWidget(frame.client);
  layout->addWidget(rest, 1);
  auto* rest_layout = new QVBoxLayout(rest);
  rest_layout->setContentsMargins(0, 0, 0, 0);
  rest_layout->addStretch(1);

  page.GroupBox2 = new QGroupBox(QStringLiteral("Zieldateien"), rest);
  page.GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  page.GroupBox2->setGeometry(8, 12, 386, 53);
  // The style draws the group's title above its frame, not on it: the
  // label and the edit sit a few pixels lower than 16 to stay inside.
  constexpr int kRowTop = 16 + kGroupTitleDrop;
  MakeLabel(page.GroupBox2, QStringLiteral("Ablegen in Unterverzeichnis:"), QPoint(8, kRowTop));
  page.OutDirEd = new QLineEdit(QStringLiteral("Wasserzeichen"), page.GroupBox2);
  page.OutDirEd->setObjectName(QStringLiteral("OutDirEd"));
  page.OutDirEd->setGeometry(152, kRowTop, 225, 21);

  MakeLabel(rest, QStringLiteral("JPEG Qualität:"), QPoint(8, 80));
  page.jpeged = MakeIntegerEdit(rest, "jpeged", QPoint(96, 80), 121, 75);
  page.jpeged->SetBounds(1, 100);
  page.jpeged->SetValue(75);
  // Beside the quality, in the room to the right of it; nothing else moves.
  page.OutputOptionsBtn = new TBitBtnXP(QStringLiteral("Ausgabe..."), TBitBtnKind::kCustom, rest);
  page.OutputOptionsBtn->setObjectName(QStringLiteral("OutputOptionsBtn"));
  page.OutputOptionsBtn->setGeometry(225, 78, 113, 25);

  page.Memo2 = new QPlainTextEdit(rest);
  page.Memo2->setObjectName(QStringLiteral("Memo2"));
  page.Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  page.Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  page.Memo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  page.Memo2->setTabChangesFocus(true);
  page.Memo2->setFixedHeight(kLogHeight);
  rest_layout->addWidget(page.Memo2);
  return page;
}

void GrowLogBy(const ProcessPage& page, int added_height) {
  page.Memo2->setFixedHeight(kLogHeight + std::max(0, added_height));
}
