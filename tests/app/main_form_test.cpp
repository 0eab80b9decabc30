// First start: caption, size, pages, and every control at its default.
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "bit_btn_xp.h"
#include "form_fixture.h"
#include "rx_label.h"
#include "rx_spin_edit.h"

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
  EXPECT_EQ(form->process.GoBtn->text(), QStringLiteral("Wasszeichen hinzufügen..."));
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
