// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/text_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <iterator>

#include "pages/page_controls.h"
#include "pages/page_frame.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/glyphs.h"
#include "widgets/rx_spin_edit.h"

namespace {
// The page's controls are placed in page coordinates; the client area
// starts right of the side panel and below the header band.
QPoint OnPage(int x, int y) { return QPoint(x - kSidePanelWidth, y - kHeaderHeight); }
}  // namespace

TextPage BuildTextPage(QWidget* parent) {
  TextPage page;
  page.TabSheet2 = new QWidget(parent);
  page.TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  const PageFrame frame =
      BuildPageFrame(page.TabSheet2,
                     QStringLiteral("Text hinzufügen - hier können Sie alle Einstellungen treffen, um Text "
                                    "zu den Bildern hinzuzufügen"),
                     QStringLiteral("Text hinzufügen..."), SidePicture::kText);
  QWidget* client = frame.client;

  MakeLabel(client, QStringLiteral("Seitenrand in Pixeln:"), OnPage(216, 40));
  page.RandEd = MakeIntegerEdit(client, "RandEd", OnPage(376, 40), 81, 20);
  MakeLabel(client, QStringLiteral("Position:"), OnPage(216, 64));
  page.Position1 = MakePlacementList(client, "Position1", OnPage(376, 64), 9);
  MakeLabel(client, QStringLiteral("Transparenz:"), OnPage(216, 88));
  page.TrackBar1 = MakeTransparencyBar(client, "TrackBar1", OnPage(368, 88), 75);
  MakeLabel(client, QStringLiteral("Text:"), OnPage(216, 120));

  page.Memo1 = new QPlainTextEdit(client);
  page.Memo1->setObjectName(QStringLiteral("Memo1"));
  page.Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  page.Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  page.Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  page.Memo1->setTabChangesFocus(true);
  page.Memo1->setGeometry(QRect(OnPage(216, 136), QSize(385, 105)));

  page.NewFontBtn = new TBitBtnXP(QStringLiteral("Schriftart auswählen"), TBitBtnKind::kCustom, client);
  page.NewFontBtn->setObjectName(QStringLiteral("NewFontBtn"));
  page.NewFontBtn->SetGlyph(MakeGlyph(GlyphId::kFont));
  page.NewFontBtn->setGeometry(QRect(OnPage(216, 256), QSize(193, 25)));

  page.FontInfo = new QLabel(client);
  page.FontInfo->setObjectName(QStringLiteral("FontInfo"));
  page.FontInfo->setGeometry(QRect(OnPage(216, 288), QSize(385, 17)));

  page.TextOptionsBtn = new TBitBtnXP(QStringLiteral("Erweitert..."), TBitBtnKind::kCustom, client);
  page.TextOptionsBtn->setObjectName(QStringLiteral("TextOptionsBtn"));
  page.TextOptionsBtn->setGeometry(QRect(OnPage(480, 38), QSize(113, 25)));

  // The two radio buttons are the only ones in this client area, so Qt's
  // automatic exclusivity makes them one group.
  page.AddTextCheck = MakeRadio(client, "AddTextCheck", QStringLiteral("Text hinzufügen"), OnPage(424, 248));
  page.AddNoTextCheck =
      MakeRadio(client, "AddNoTextCheck", QStringLiteral("Kein Text hinzufügen"), OnPage(424, 264));
  page.AddTextCheck->setChecked(true);

  // Tab goes as the eye reads the page: "Erweitert..." sits right of the
  // first field, so it comes second, not last.
  QWidget* const reading_order[] = {page.RandEd, page.TextOptionsBtn, page.Position1,    page.TrackBar1,
                                    page.Memo1,  page.NewFontBtn,     page.AddTextCheck, page.AddNoTextCheck};
  for (size_t i = 1; i < std::size(reading_order); ++i)
    QWidget::setTabOrder(reading_order[i - 1], reading_order[i]);
  return page;
}
