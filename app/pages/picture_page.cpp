// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/picture_page.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

#include "pages/page_controls.h"
#include "pages/page_frame.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/glyphs.h"
#include "widgets/paint_box.h"
#include "widgets/rx_spin_edit.h"

namespace {
constexpr int kSettingsAreaHeight = 145;
constexpr int kLoadStripHeight = 41;
const QColor kAppWorkspaceColour(171, 171, 171);

}  // namespace

PicturePage BuildPicturePage(QWidget* parent) {
  PicturePage page;
  page.TabSheet3 = new QWidget(parent);
  page.TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  const PageFrame frame =
      BuildPageFrame(page.TabSheet3,
                     QStringLiteral("Grafik hinzufügen - hier können Sie alle Einstellungen treffen, um Text "
                                    "zu den Bildern hinzuzufügen"),
                     QStringLiteral("Bild hinzufügen..."), SidePicture::kPicture);

  auto* layout = new QVBoxLayout(frame.client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* settings = new QWidget(frame.client);
  settings->setFixedHeight(kSettingsAreaHeight);
  layout->addWidget(settings);
  MakeLabel(settings, QStringLiteral("Seitenrand in Pixeln"), QPoint(8, 8));
  page.RandEd2 = MakeIntegerEdit(settings, "RandEd2", QPoint(168, 8), 81, 20);
  MakeLabel(settings, QStringLiteral("Position:"), QPoint(8, 32));
  page.Position2 = MakePlacementList(settings, "Position2", QPoint(168, 32), 11);
  MakeLabel(settings, QStringLiteral("Transparenz:"), QPoint(8, 56));
  page.TrackBar2 = MakeTransparencyBar(settings, "TrackBar2", QPoint(160, 56), 50);
  // The only two radio buttons in this area: one exclusive group.
  page.AddPicCheck = MakeRadio(settings, "AddPicCheck", QStringLiteral("Bild hinzufügen"), QPoint(192, 104));
  page.NoPicChecked =
      MakeRadio(settings, "NoPicChecked", QStringLiteral("Kein Bild hinzufügen"), QPoint(192, 120));
  page.NoPicChecked->setChecked(true);

  auto* strip = new QWidget(frame.client);
  strip->setFixedHeight(kLoadStripHeight);
  layout->addWidget(strip);
  page.OpenPicBtn = new TBitBtnXP(QStringLiteral("Anderes Bild laden..."), TBitBtnKind::kCustom, strip);
  page.OpenPicBtn->setObjectName(QStringLiteral("OpenPicBtn"));
  page.OpenPicBtn->SetGlyph(MakeGlyph(GlyphId::kPicture));
  page.OpenPicBtn->setGeometry(8, 8, 153, 25);
  page.PictureOptionsBtn = new TBitBtnXP(QStringLiteral("Erweitert..."), TBitBtnKind::kCustom, strip);
  page.PictureOptionsBtn->setObjectName(QStringLiteral("PictureOptionsBtn"));
  page.PictureOptionsBtn->setGeometry(169, 8, 113, 25);

  // Between the buttons and the picture, and only while there is
  // something to say; it takes its room from the picture's box.
  page.MissingPictureLabel = new QLabel(frame.client);
  page.MissingPictureLabel->setObjectName(QStringLiteral("MissingPictureLabel"));
  page.MissingPictureLabel->setWordWrap(true);
  page.MissingPictureLabel->setContentsMargins(8, 0, 8, 6);
  page.MissingPictureLabel->hide();
  layout->addWidget(page.MissingPictureLabel);

  page.ScrollBox1 = new QScrollArea(frame.client);
  page.ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  page.ScrollBox1->setWidgetResizable(false);
  page.ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette workspace = page.ScrollBox1->palette();
  workspace.setColor(QPalette::Window, kAppWorkspaceColour);
  page.ScrollBox1->setPalette(workspace);
  page.ScrollBox1->setBackgroundRole(QPalette::Window);
  page.ScrollBox1->setAutoFillBackground(true);
  page.PaintBox2 = new TPaintBox();
  page.PaintBox2->setObjectName(QStringLiteral("PaintBox2"));
  page.PaintBox2->resize(105, 105);
  page.ScrollBox1->setWidget(page.PaintBox2);
  layout->addWidget(page.ScrollBox1, 1);
  return page;
}
