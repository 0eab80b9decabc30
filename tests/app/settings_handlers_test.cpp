// SPDX-License-Identifier: GPL-3.0-or-later
// The reset, the font choice, the picture watermark's loading and its
// preview, through the window's handlers.
#include <QComboBox>
#include <QFile>
#include <QFontDialog>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "dialogs/font_dialog.h"
#include "form_fixture.h"
#include "image/dib_access.h"
#include "state/form_content.h"
#include "widgets/paint_box.h"
#include "widgets/rx_spin_edit.h"

namespace {

// A width x height picture at the given depth, pixel (0, 0) set to value,
// saved as a BMP file.
QString SavePicture(const QTemporaryDir& folder, const char* name, int width, int height, int bits,
                    uint32_t value) {
  const QString path = folder.filePath(QString::fromLatin1(name));
  TDibImage picture = newdib(width, height, bits, nullptr, 0);
  setpixel(&picture, 0, 0, value);
  EXPECT_EQ(SaveDib(&picture, QFile::encodeName(path).constData(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&picture);
  return path;
}

using Reset = FormFixture;
using FontChoice = FormFixture;
using PictureLoad = FormFixture;

}  // namespace

TEST_F(Reset, SetsEveryDefaultInItsOrder) {
  AddEntries({QStringLiteral("/tmp/a.bmp")});
  form->text.Memo1->setPlainText(QStringLiteral("x"));
  form->picture.AddPicCheck->setChecked(true);
  form->text.AddNoTextCheck->setChecked(true);
  form->text.RandEd->SetValue(1);
  form->picture.RandEd2->SetValue(2);
  form->picture.TrackBar2->setValue(3);
  form->text.TrackBar1->setValue(4);
  form->text.Position1->setCurrentIndex(0);
  form->picture.Position2->setCurrentIndex(0);
  form->process.jpeged->SetValue(5);
  form->process.OutDirEd->setText(QStringLiteral("x"));

  std::vector<std::string> order;
  QObject receiver;  // goes before order does, and takes the connections with it
  auto note = [&order](const char* name) {
    return [&order, name] {
      if (order.empty() || order.back() != name) order.push_back(name);
    };
  };
  QObject::connect(form->sources.ListBox1->model(), &QAbstractItemModel::modelReset, &receiver,
                   note("ListBox1"));
  QObject::connect(form->sources.ListBox1->model(), &QAbstractItemModel::rowsRemoved, &receiver,
                   note("ListBox1"));
  QObject::connect(form->text.Memo1, &QPlainTextEdit::textChanged, &receiver, note("Memo1"));
  QObject::connect(form->picture.NoPicChecked, &QRadioButton::toggled, &receiver, note("NoPicChecked"));
  QObject::connect(form->text.AddTextCheck, &QRadioButton::toggled, &receiver, note("AddTextCheck"));
  QObject::connect(form->text.RandEd, &QDoubleSpinBox::valueChanged, &receiver, note("RandEd"));
  QObject::connect(form->picture.RandEd2, &QDoubleSpinBox::valueChanged, &receiver, note("RandEd2"));
  QObject::connect(form->picture.TrackBar2, &QSlider::valueChanged, &receiver, note("TrackBar2"));
  QObject::connect(form->text.TrackBar1, &QSlider::valueChanged, &receiver, note("TrackBar1"));
  QObject::connect(form->text.Position1, &QComboBox::currentIndexChanged, &receiver, note("Position1"));
  QObject::connect(form->picture.Position2, &QComboBox::currentIndexChanged, &receiver, note("Position2"));
  QObject::connect(form->process.jpeged, &QDoubleSpinBox::valueChanged, &receiver, note("jpeged"));
  QObject::connect(form->process.OutDirEd, &QLineEdit::textChanged, &receiver, note("OutDirEd"));

  form->NewBtnClick();
  EXPECT_EQ(order, (std::vector<std::string>{"ListBox1", "Memo1", "NoPicChecked", "AddTextCheck", "RandEd",
                                             "RandEd2", "TrackBar2", "TrackBar1", "Position1", "Position2",
                                             "jpeged", "OutDirEd"}));
  EXPECT_EQ(form->sources.ListBox1->count(), 0);
  EXPECT_TRUE(form->text.Memo1->toPlainText().isEmpty());
  EXPECT_TRUE(form->picture.NoPicChecked->isChecked());
  EXPECT_TRUE(form->text.AddTextCheck->isChecked());
  EXPECT_EQ(form->text.RandEd->Value(), 20.0);
  EXPECT_EQ(form->picture.RandEd2->Value(), 20.0);
  EXPECT_EQ(form->picture.TrackBar2->value(), 50);
  EXPECT_EQ(form->text.TrackBar1->value(), 75);
  EXPECT_EQ(form->text.Position1->currentText(), QStringLiteral("Zentriert"));
  EXPECT_EQ(form->picture.Position2->currentText(), QStringLiteral("Eingepasst"));
  EXPECT_EQ(form->process.jpeged->Value(), 75.0);
  EXPECT_EQ(form->process.OutDirEd->text(), QStringLiteral("Wasserzeichen"));
}

TEST_F(Reset, LeavesTheFontThePictureTheFoldersAndTheLogAlone) {
  form->Font.name = "Courier";
  form->OpenDialog2Dir = QStringLiteral("/tmp/bilder");
  form->process.Memo2->setPlainText(QStringLiteral("a.bmp geladen..."));
  const TDibImage picture = form->WatermarkDib;
  form->NewBtnClick();
  EXPECT_EQ(form->Font.name, "Courier");
  EXPECT_EQ(form->OpenDialog2Dir, QStringLiteral("/tmp/bilder"));
  EXPECT_EQ(form->process.Memo2->toPlainText(), QStringLiteral("a.bmp geladen..."));
  EXPECT_EQ(form->WatermarkDib.Bits, picture.Bits);
}

TEST_F(FontChoice, AConfirmedFontReplacesTheTextFontAndACancelledOneNot) {
  TextFont chosen;
  chosen.name = "Courier";
  chosen.color = 0x0000FF;
  font_answer = chosen;
  form->NewFontBtnClick();
  EXPECT_EQ(font_dialog_start->name, "Arial Black");
  EXPECT_EQ(form->Font.name, "Courier");
  font_answer.reset();
  form->NewFontBtnClick();
  EXPECT_EQ(form->Font.name, "Courier");
  EXPECT_EQ(form->Font.color, 0x0000FF);
}

TEST_F(FontChoice, TheDialogKeepsTheWindowTextReferenceAndTheFaceUntilChanged) {
  const TextFont start;
  TFontDialog dialog(start);
  TextFont unchanged = dialog.Font();
  EXPECT_EQ(unchanged.color, -2147483640);
  EXPECT_EQ(unchanged.name, "Arial Black");
  EXPECT_EQ(unchanged.height, -19);
  EXPECT_EQ(unchanged.size, 14);
  // The reference is offered first, then the sixteen colours, then the
  // choice of any other.
  ASSERT_EQ(dialog.ColourList()->count(), 18);
  EXPECT_EQ(dialog.ColourList()->itemText(17), QStringLiteral("Benutzerdefiniert..."));
  dialog.ColourList()->setCurrentIndex(10);  // the tenth standard colour: red
  EXPECT_EQ(dialog.Font().color, 0x0000FF);
}

TEST_F(FontChoice, EscapeInTheFontListsClosesTheWholeDialogAsCancelled) {
  TFontDialog dialog(form->Font, form.get());
  dialog.show();
  QListView* families = dialog.findChild<QListView*>();
  ASSERT_NE(families, nullptr);
  families->setFocus();
  QTest::keyClick(families, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible()) << "Escape left the dialog open";
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.findChild<QFontDialog*>()->isHidden()) << "the font lists were closed on their own";
}

// The dialog opened on "Oblique" for a plain font, so a plain confirmed
// font came back italic; its sample stayed black whatever the colour.
TEST_F(FontChoice, TheDialogOpensOnTheFontsOwnStyleAndItsSampleShowsTheColour) {
  TextFont plain;
  plain.name = "DejaVu Sans";
  EXPECT_EQ(TFontDialog(plain).Font().style, 0);
  TextFont bold = plain;
  bold.style = kFontBold;
  EXPECT_EQ(TFontDialog(bold).Font().style, kFontBold);
  TextFont italic = plain;
  italic.style = kFontItalic;
  EXPECT_EQ(TFontDialog(italic).Font().style, kFontItalic);

  plain.color = 0x0000FF;
  TFontDialog dialog(plain);
  auto* sample = dialog.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->palette().color(QPalette::Text), QColor(255, 0, 0));
  dialog.ColourList()->setCurrentIndex(dialog.ColourList()->findText(QStringLiteral("Blau")));
  EXPECT_EQ(sample->palette().color(QPalette::Text), QColor(0, 0, 255));
}

TEST_F(FontChoice, SizeStyleAndHeightComeFromTheChosenFont) {
  QFont chosen(QStringLiteral("DejaVu Sans Mono"));
  chosen.setPointSize(12);
  chosen.setBold(true);
  chosen.setStrikeOut(true);
  const TextFont font = FontFromDialogChoice(TextFont{}, chosen, 0x808080);
  EXPECT_EQ(font.name, "DejaVu Sans Mono");
  EXPECT_EQ(font.size, 12);
  EXPECT_EQ(font.height, -16);
  EXPECT_EQ(font.style, kFontBold | kFontStrikeOut);
  EXPECT_EQ(font.color, 0x808080);
  EXPECT_EQ(font.charset, 0);
}

TEST_F(PictureLoad, OneEightAndTwentyFourBitPicturesBecomeTwentyFourBitWatermarks) {
  QTemporaryDir folder;
  struct Case {
    const char* name;
    int bits;
    uint32_t value;
    QRgb shown;
  } cases[] = {{"eins.bmp", 1, 1, qRgb(255, 255, 255)},
               {"acht.bmp", 8, 0, qRgb(0, 0, 0)},
               {"voll.bmp", 24, 0x3020A0, qRgb(0xA0, 0x20, 0x30)}};
  for (const Case& c : cases) {
    form->NewBtnClick();
    picture_answers.push_back({SavePicture(folder, c.name, 7, 5, c.bits, c.value)});
    form->OpenPicBtnClick();
    EXPECT_TRUE(messages.empty()) << c.name;
    EXPECT_EQ(DibBitCount(form->WatermarkDib), 24) << c.name;
    EXPECT_EQ(DibWidth(form->WatermarkDib), 7) << c.name;
    EXPECT_TRUE(form->picture.AddPicCheck->isChecked()) << c.name;
    const uint32_t top_left = getpixel(&form->WatermarkDib, 0, 0);
    EXPECT_EQ(qRgb(top_left & 0xFF, (top_left >> 8) & 0xFF, top_left >> 16), c.shown) << c.name;
  }
  EXPECT_FALSE(picture_dialog_filters.isEmpty());
}

TEST_F(PictureLoad, OnlyTheFirstChosenFileIsUsed) {
  QTemporaryDir folder;
  picture_answers.push_back(
      {SavePicture(folder, "a.bmp", 3, 2, 24, 0), SavePicture(folder, "b.bmp", 9, 9, 24, 0)});
  form->OpenPicBtnClick();
  EXPECT_EQ(DibWidth(form->WatermarkDib), 3);
}

TEST_F(PictureLoad, ADamagedFileIsReportedAndChangesNothing) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("kaputt.bmp"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("BM\x10\x00\x00\x00 not a bitmap");
  file.close();
  const TDibImage before = form->WatermarkDib;
  picture_answers.push_back({path});
  form->OpenPicBtnClick();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, QStringLiteral("Fehler"));
  EXPECT_EQ(messages[0].text, QStringLiteral("Fehler: Die Datei %1 konnte nicht geladen werden!").arg(path));
  EXPECT_EQ(form->WatermarkDib.Bits, before.Bits);
  EXPECT_TRUE(form->picture.NoPicChecked->isChecked());
  // A cancelled dialog changes nothing either.
  form->OpenPicBtnClick();
  EXPECT_EQ(form->WatermarkDib.Bits, before.Bits);
  EXPECT_EQ(messages.size(), 1u);
}

// The option that keeps the alpha channel applies to a logo loaded before
// it was switched on, and off again, without loading the logo again.
TEST_F(PictureLoad, ATransparentLogoIsComposedOverWhiteAndKeepsItsAlphaForTheOption) {
  QTemporaryDir folder;
  QImage logo(2, 1, QImage::Format_ARGB32);
  logo.setPixel(0, 0, qRgba(0, 0, 0, 0));      // clear
  logo.setPixel(1, 0, qRgba(255, 0, 0, 255));  // solid red
  const QString path = folder.filePath(QStringLiteral("logo.png"));
  ASSERT_TRUE(logo.save(path, "PNG"));
  picture_answers.push_back({path});
  form->OpenPicBtnClick();
  ASSERT_TRUE(messages.empty());
  EXPECT_EQ(DibBitCount(form->WatermarkDib), 24);
  EXPECT_EQ(getpixel(&form->WatermarkDib, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(getpixel(&form->WatermarkDib, 1, 0), 0x0000FFu);
  form->Options.picture.keep_alpha = true;
  const TDibImage kept = ContentFromForm(*form).watermark;
  ASSERT_EQ(DibBitCount(kept), 32);
  EXPECT_EQ(getpixel(&kept, 0, 0) >> 24, 0u);
  EXPECT_EQ(getpixel(&kept, 1, 0), 0xFF0000FFu);
  form->Options.picture.keep_alpha = false;
  EXPECT_EQ(DibBitCount(ContentFromForm(*form).watermark), 24);
}

TEST_F(PictureLoad, ThePreviewTakesThePicturesSizeAndThenDrawsItUnscaled) {
  TPaintBox* box = form->picture.PaintBox2;
  QImage canvas(400, 300, QImage::Format_RGB32);
  canvas.fill(Qt::blue);
  {
    QPainter painter(&canvas);
    form->PaintBox2Paint(painter);  // the start picture: first the size
  }
  EXPECT_EQ(box->size(), QSize(320, 200));
  EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 255));  // nothing drawn yet

  QTemporaryDir folder;
  picture_answers.push_back({SavePicture(folder, "gross.bmp", 2000, 1500, 24, 0x00FF00)});
  form->OpenPicBtnClick();
  ASSERT_TRUE(messages.empty());
  form->PageControl1->setCurrentIndex(2);
  ShowActive();
  QTest::qWait(50);
  EXPECT_EQ(box->size(), QSize(2000, 1500));
  EXPECT_TRUE(form->picture.ScrollBox1->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(form->picture.ScrollBox1->verticalScrollBar()->isVisible());
  const QImage shown = box->grab().toImage();
  EXPECT_EQ(shown.size(), QSize(2000, 1500));
  EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(shown.pixel(1, 1), qRgb(0, 0, 0));
}
