// SPDX-License-Identifier: GPL-3.0-or-later
// First start: caption, size, pages, and every control at its default.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "form_fixture.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/rx_label.h"
#include "widgets/rx_spin_edit.h"

using MainForm = FormFixture;

TEST_F(MainForm, CaptionSizeAndFirstPage) {
  ShowActive();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Stempora 1.0"));
  EXPECT_EQ(form->frameGeometry().size(), QSize(622, 489));
  EXPECT_EQ(form->PageControl1->currentIndex(), 0);
  ASSERT_EQ(form->PageControl1->count(), 4);
  EXPECT_EQ(form->PageControl1->tabText(0), QStringLiteral("Quelldateien"));
  EXPECT_EQ(form->PageControl1->tabText(1), QStringLiteral("Text hinzufügen"));
  EXPECT_EQ(form->PageControl1->tabText(2), QStringLiteral("Grafik hinzufügen"));
  EXPECT_EQ(form->PageControl1->tabText(3), QStringLiteral("Dateien verarbeiten"));
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(form->PageControl1->tabIcon(i).isNull()) << i;
}

TEST_F(MainForm, EveryNamedControlExists) {
  const char* const names[] = {
      "Panel27",   "NewBtn",    "OpenBtn",     "SaveBtn",      "PageControl1", "TabSheet1",      "TabSheet2",
      "TabSheet3", "TabSheet4", "GroupBox1",   "ListBox1",     "AddBtn",       "DelBtn",         "RandEd",
      "Position1", "TrackBar1", "Memo1",       "NewFontBtn",   "AddTextCheck", "AddNoTextCheck", "RandEd2",
      "Position2", "TrackBar2", "AddPicCheck", "NoPicChecked", "OpenPicBtn",   "ScrollBox1",     "PaintBox2",
      "GoBtn",     "GroupBox2", "OutDirEd",    "jpeged",       "Memo2",        "Panel7",         "wwwBtn",
      "Panel8",    "AboutBtn",  "QuitBtn",     "StatusBar1"};
  for (const char* name : names)
    EXPECT_NE(form->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(MainForm, TextPageDefaults) {
  EXPECT_EQ(form->text.RandEd->Value(), 20.0);
  EXPECT_FALSE(form->text.RandEd->HasBounds());
  ASSERT_EQ(form->text.Position1->count(), 9);
  EXPECT_EQ(form->text.Position1->itemText(0), QStringLiteral("Oben Links"));
  EXPECT_EQ(form->text.Position1->itemText(8), QStringLiteral("Unten Rechts"));
  EXPECT_EQ(form->text.Position1->currentIndex(), 4);
  EXPECT_EQ(form->text.Position1->currentText(), QStringLiteral("Zentriert"));
  EXPECT_EQ(form->text.TrackBar1->value(), 75);
  EXPECT_EQ(form->text.TrackBar1->minimum(), 0);
  EXPECT_EQ(form->text.TrackBar1->maximum(), 100);
  EXPECT_EQ(form->text.TrackBar1->tickInterval(), 10);
  EXPECT_EQ(form->text.TrackBar1->tickPosition(), QSlider::TicksBelow);
  EXPECT_TRUE(form->text.Memo1->toPlainText().isEmpty());
  EXPECT_EQ(form->text.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_TRUE(form->text.AddTextCheck->isChecked());
  EXPECT_FALSE(form->text.AddNoTextCheck->isChecked());
  EXPECT_EQ(form->text.AddTextCheck->text(), QStringLiteral("Text hinzufügen"));
  EXPECT_EQ(form->text.AddNoTextCheck->text(), QStringLiteral("Kein Text hinzufügen"));
  EXPECT_EQ(form->text.NewFontBtn->text(), QStringLiteral("Schriftart auswählen"));
}

TEST_F(MainForm, PicturePageDefaults) {
  EXPECT_EQ(form->picture.RandEd2->Value(), 20.0);
  ASSERT_EQ(form->picture.Position2->count(), 11);
  EXPECT_EQ(form->picture.Position2->itemText(9), QStringLiteral("Eingepasst"));
  EXPECT_EQ(form->picture.Position2->itemText(10), QStringLiteral("Maximal"));
  EXPECT_EQ(form->picture.Position2->currentIndex(), 9);
  EXPECT_EQ(form->picture.TrackBar2->value(), 50);
  EXPECT_EQ(form->picture.TrackBar2->maximum(), 100);
  EXPECT_FALSE(form->picture.AddPicCheck->isChecked());
  EXPECT_TRUE(form->picture.NoPicChecked->isChecked());
  EXPECT_EQ(form->picture.OpenPicBtn->text(), QStringLiteral("Anderes Bild laden..."));
  EXPECT_EQ(form->picture.PaintBox2->size(), QSize(105, 105));
}

TEST_F(MainForm, ProcessPageDefaults) {
  EXPECT_EQ(form->process.GoBtn->text(), QStringLiteral("Wasserzeichen hinzufügen..."));
  EXPECT_EQ(form->process.GroupBox2->title(), QStringLiteral("Zieldateien"));
  EXPECT_EQ(form->process.OutDirEd->text(), QStringLiteral("Wasserzeichen"));
  EXPECT_EQ(form->process.jpeged->Value(), 75.0);
  EXPECT_EQ(form->process.jpeged->minimum(), 1.0);
  EXPECT_EQ(form->process.jpeged->maximum(), 100.0);
  EXPECT_TRUE(form->process.Memo2->toPlainText().isEmpty());
  EXPECT_FALSE(form->process.Memo2->isReadOnly());
  EXPECT_EQ(form->process.Memo2->height(), 89);
}

TEST_F(MainForm, SourceListStartsEmptyWithExtendedSelection) {
  EXPECT_EQ(form->sources.ListBox1->count(), 0);
  EXPECT_EQ(form->sources.ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(form->sources.AddBtn->text(), QStringLiteral("&Hinzufügen..."));
  EXPECT_EQ(form->sources.DelBtn->text(), QStringLiteral("&Löschen"));
  EXPECT_EQ(form->sources.GroupBox1->title(), QStringLiteral("Quelldateien"));
}

TEST_F(MainForm, ToolBarAndBottomBarCaptionsAndHints) {
  EXPECT_EQ(form->NewBtn->text(), QStringLiteral("Einstellungen \"&Neu\"..."));
  EXPECT_EQ(form->NewBtn->toolTip(), QStringLiteral("Die Einstellungen werden auf die Vorgabewerte gesetzt"));
  EXPECT_EQ(form->OpenBtn->text(), QStringLiteral("Einstellungen Ö&ffnen..."));
  EXPECT_EQ(form->OpenBtn->toolTip(), QStringLiteral("Gesicherte Einstellungen werden wieder geladen"));
  EXPECT_EQ(form->SaveBtn->text(), QStringLiteral("Einstellungen &Speichern unter..."));
  EXPECT_EQ(form->SaveBtn->toolTip(),
            QStringLiteral("Die aktuelle Einstellungen werden gesichert, damit diese später nochmals "
                           "verwendet werden können"));
  EXPECT_EQ(form->NewBtn->geometry(), QRect(8, 1, 145, 25));
  EXPECT_EQ(form->OpenBtn->geometry(), QRect(153, 1, 160, 25));
  EXPECT_EQ(form->SaveBtn->geometry(), QRect(314, 1, 191, 25));
  EXPECT_EQ(form->Panel27->height(), 27);
  EXPECT_EQ(form->Panel7->height(), 41);
  EXPECT_EQ(form->Panel8->width(), 182);
  EXPECT_EQ(form->AboutBtn->text(), QStringLiteral("Über"));
  EXPECT_EQ(form->QuitBtn->text(), QStringLiteral("Beenden"));
  EXPECT_EQ(form->wwwBtn->toolTip(), QStringLiteral("Auf zur Velmora Homepage..."));
  EXPECT_EQ(form->StatusBar1->height(), 19);
}

TEST_F(MainForm, PageFramesCarryHeaderAndSideTexts) {
  const auto header = [&](const char* page) {
    return form->findChild<TRxLabel*>(QString::fromLatin1(page) + QStringLiteral("HeaderLabel"))->text();
  };
  const auto side = [&](const char* page) {
    return form->findChild<TRxLabel*>(QString::fromLatin1(page) + QStringLiteral("SideLabel"))->text();
  };
  EXPECT_EQ(header("TabSheet1"),
            QStringLiteral("Quelldateien wählen - Sie können hier beliebig viele Quelldateien hinzufügen"));
  EXPECT_EQ(side("TabSheet3"), QStringLiteral("Bild hinzufügen..."));
  // Two blanks after the dash, as the page has always had them.
  EXPECT_EQ(header("TabSheet4"),
            QStringLiteral("Dateien verarbeiten -  Zielverzeichnis wählen und auf Go! klicken"));
  EXPECT_EQ(side("TabSheet4"), QStringLiteral("Wasserzeichen hinzufügen..."));
}

TEST_F(MainForm, StartStateHoldsBlankWatermarkAndStartFont) {
  ASSERT_NE(form->WatermarkDib.Bits, nullptr);
  EXPECT_EQ(form->WatermarkDib.Info->bmiHeader.biWidth, 320);
  EXPECT_EQ(form->WatermarkDib.Info->bmiHeader.biHeight, 200);
  EXPECT_EQ(form->WatermarkDib.Info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(form->Font.name, "Arial Black");
  EXPECT_EQ(form->Font.height, -19);
  EXPECT_EQ(form->Font.charset, 0);
  EXPECT_EQ(uint32_t(form->Font.color), 0x80000008u);  // the system's window-text colour
  EXPECT_EQ(form->Font.style, 0);
  EXPECT_EQ(form->ProStatus, 0);
  EXPECT_EQ(form->ProPanelRect, TRect{});
  ASSERT_FALSE(form->OpenDialog1Filter.isEmpty());
  EXPECT_TRUE(form->OpenDialog1Filter.first().contains(QStringLiteral("*.bmp")));
}

TEST(MainFormSpinEdit, AssignedValuesRoundHalvesToEven) {
  TRxSpinEdit edit;
  edit.SetValue(12.5);
  EXPECT_EQ(edit.Value(), 12.0);
  edit.SetValue(13.5);
  EXPECT_EQ(edit.Value(), 14.0);
  edit.SetValue(-2.5);
  EXPECT_EQ(edit.Value(), -2.0);
  edit.SetValue(7.6);
  EXPECT_EQ(edit.Value(), 8.0);
  edit.SetValue(1e9);
  EXPECT_EQ(edit.Value(), 1e9);
  EXPECT_EQ(edit.text(), QStringLiteral("1000000000"));
}

TEST(MainFormSpinEdit, BoundsLimitAndNonNumbersAreRefused) {
  TRxSpinEdit edit;
  edit.SetBounds(1, 100);
  edit.SetValue(150);
  EXPECT_EQ(edit.Value(), 100.0);
  edit.SetValue(0.4);
  EXPECT_EQ(edit.Value(), 1.0);
  edit.SetValue(42);
  edit.SetValue(std::numeric_limits<double>::quiet_NaN());
  edit.SetValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(edit.Value(), 42.0);
}

namespace {
// Where a control's top-left corner is, counted from the page it sits on.
// A missing control gives (-1, -1), so the comparison fails instead of crashing.
QPoint OnPage(const QWidget* control, const QWidget* page) {
  return control ? control->mapTo(page, QPoint(0, 0)) : QPoint(-1, -1);
}
const QLabel* LabelWithText(const QWidget* page, const QString& text) {
  for (const QLabel* label : page->findChildren<QLabel*>())
    if (label->text() == text) return label;
  return nullptr;
}
}  // namespace

TEST_F(MainForm, TextPageControlsSitAtTheirPlaces) {
  ShowActive();
  form->PageControl1->setCurrentIndex(1);
  QApplication::processEvents();
  const QWidget* page = form->text.TabSheet2;
  const auto label_at = [&](const char* text) {
    return OnPage(LabelWithText(page, QString::fromUtf8(text)), page);
  };
  EXPECT_EQ(label_at("Seitenrand in Pixeln:"), QPoint(216, 40));
  EXPECT_EQ(label_at("Position:"), QPoint(216, 64));
  EXPECT_EQ(label_at("Transparenz:"), QPoint(216, 88));
  EXPECT_EQ(label_at("Text:"), QPoint(216, 120));
  EXPECT_EQ(QRect(OnPage(form->text.RandEd, page), form->text.RandEd->size()).topLeft(), QPoint(376, 40));
  EXPECT_EQ(form->text.RandEd->width(), 81);
  EXPECT_EQ(OnPage(form->text.Position1, page), QPoint(376, 64));
  EXPECT_EQ(form->text.Position1->width(), 145);
  EXPECT_EQ(QRect(OnPage(form->text.TrackBar1, page), form->text.TrackBar1->size()), QRect(368, 88, 161, 45));
  EXPECT_EQ(QRect(OnPage(form->text.Memo1, page), form->text.Memo1->size()), QRect(216, 136, 385, 105));
  EXPECT_EQ(QRect(OnPage(form->text.NewFontBtn, page), form->text.NewFontBtn->size()),
            QRect(216, 256, 193, 25));
  EXPECT_EQ(OnPage(form->text.AddTextCheck, page), QPoint(424, 248));
  EXPECT_EQ(OnPage(form->text.AddNoTextCheck, page), QPoint(424, 264));
}

TEST_F(MainForm, PageFrameHeaderAndSidePanelSizes) {
  ShowActive();
  for (int index = 0; index < 4; ++index) {
    form->PageControl1->setCurrentIndex(index);
    QApplication::processEvents();
    const QWidget* page = form->PageControl1->widget(index);
    const QString name = page->objectName();
    const auto* header = page->findChild<TRxLabel*>(name + QStringLiteral("HeaderLabel"));
    const auto* side = page->findChild<TRxLabel*>(name + QStringLiteral("SideLabel"));
    ASSERT_NE(header, nullptr);
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(header->pos(), QPoint(16, 10)) << index;
    EXPECT_EQ(header->parentWidget()->height(), 33) << index;
    EXPECT_TRUE(header->font().bold()) << index;
    EXPECT_TRUE(side->wordWrap()) << index;
    EXPECT_EQ(side->font().pixelSize(), 19) << index;
    const QWidget* side_box = side->parentWidget();
    EXPECT_EQ(side_box->geometry(), QRect(8, 8, 177, 73)) << index;
    EXPECT_EQ(side_box->parentWidget()->geometry(), QRect(7, 7, 195, 284)) << index;
    EXPECT_EQ(side_box->parentWidget()->parentWidget()->width(), 209) << index;
    EXPECT_EQ(OnPage(page->findChild<QWidget*>(name + QStringLiteral("Client")), page), QPoint(209, 33));
  }
}

TEST_F(MainForm, PicturePageAndProcessPageControlsSitAtTheirPlaces) {
  ShowActive();
  form->PageControl1->setCurrentIndex(2);
  QApplication::processEvents();
  const QWidget* settings = form->picture.RandEd2->parentWidget();
  EXPECT_EQ(settings->height(), 145);
  EXPECT_EQ(OnPage(LabelWithText(settings, QStringLiteral("Seitenrand in Pixeln")), settings), QPoint(8, 8));
  EXPECT_EQ(OnPage(form->picture.RandEd2, settings), QPoint(168, 8));
  EXPECT_EQ(OnPage(form->picture.Position2, settings), QPoint(168, 32));
  EXPECT_EQ(form->picture.TrackBar2->geometry(), QRect(160, 56, 161, 45));
  EXPECT_EQ(OnPage(form->picture.AddPicCheck, settings), QPoint(192, 104));
  EXPECT_EQ(OnPage(form->picture.NoPicChecked, settings), QPoint(192, 120));
  EXPECT_EQ(form->picture.OpenPicBtn->geometry(), QRect(8, 8, 153, 25));
  EXPECT_EQ(form->picture.OpenPicBtn->parentWidget()->height(), 41);

  form->PageControl1->setCurrentIndex(3);
  QApplication::processEvents();
  EXPECT_EQ(form->process.GoBtn->geometry(), QRect(8, 8, 209, 25));
  EXPECT_EQ(form->process.GoBtn->parentWidget()->height(), 36);
  EXPECT_EQ(form->process.GroupBox2->geometry(), QRect(8, 12, 386, 53));
  const QWidget* rest = form->process.GroupBox2->parentWidget();
  EXPECT_EQ(OnPage(LabelWithText(rest, QStringLiteral("JPEG Qualität:")), rest), QPoint(8, 80));
  EXPECT_EQ(OnPage(form->process.jpeged, rest), QPoint(96, 80));
  EXPECT_EQ(form->process.jpeged->width(), 121);
  EXPECT_EQ(form->process.OutDirEd->width(), 225);
  EXPECT_EQ(form->process.Memo2->geometry().bottom(), rest->height() - 1);
  EXPECT_EQ(form->process.Memo2->width(), rest->width());
}

// The tick marks of both transparency bars sat some twenty pixels below
// the groove, closer to the next control than to their own bar. In the
// grabbed bar a groove row differs from the page across most of its
// width; a tick row in many separate dots.
TEST_F(MainForm, TransparencyTicksSitRightBelowTheGroove) {
  ShowActive();
  for (QSlider* bar : {form->text.TrackBar1, form->picture.TrackBar2}) {
    const QImage shot = bar->grab().toImage();
    const QRgb page = shot.pixel(shot.width() - 1, 0);
    int groove_bottom = -1;
    int first_ticks = -1;
    for (int y = 0; y < shot.height() && first_ticks < 0; ++y) {
      int marked = 0;
      int dots = 0;
      for (int x = 0; x < shot.width(); ++x) {
        const bool differs = shot.pixel(x, y) != page;
        marked += differs;
        dots += differs && (x == 0 || shot.pixel(x - 1, y) == page);
      }
      if (marked > shot.width() * 2 / 3) groove_bottom = y;
      if (groove_bottom >= 0 && y > groove_bottom && dots >= 5) first_ticks = y;
    }
    const std::string name = bar->objectName().toStdString();
    ASSERT_GE(groove_bottom, 0) << name;
    ASSERT_GE(first_ticks, 0) << name;
    EXPECT_LE(first_ticks - groove_bottom, 8) << name;
  }
}

TEST_F(MainForm, BottomBarButtonsSitAtTheirPlaces) {
  ShowActive();
  EXPECT_EQ(form->wwwBtn->geometry(), QRect(5, 5, 137, 33));
  EXPECT_EQ(OnPage(form->wwwBtn, form->Panel7), QPoint(5, 5));
  EXPECT_EQ(form->Panel8->geometry().right(), form->Panel7->width() - 1);
  EXPECT_EQ(form->AboutBtn->geometry(), QRect(8, 8, 75, 25));
  EXPECT_EQ(form->QuitBtn->geometry(), QRect(88, 8, 78, 25));
  EXPECT_FALSE(form->AboutBtn->icon().isNull());
  EXPECT_FALSE(form->QuitBtn->icon().isNull());
  EXPECT_TRUE(form->wwwBtn->autoRaise());
  EXPECT_FALSE(form->wwwBtn->icon().isNull());
}

TEST(MainFormRxLabel, TextStartsTopLeftAndLeavesRoomForTheShadow) {
  TRxLabel label(QStringLiteral("Quelldateien wählen..."));
  EXPECT_EQ(label.alignment(), Qt::AlignLeft | Qt::AlignTop);
  QLabel plain(QStringLiteral("Quelldateien wählen..."));
  EXPECT_EQ(label.sizeHint(), plain.sizeHint() + QSize(1, 1));
}
