// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and opening a settings file through the window: every control
// comes back, a damaged file changes nothing, a failed save says why.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <cstdio>

#include "state/form_content.h"
#include "form_fixture.h"
#include "widgets/rx_spin_edit.h"

class MainFormSettingsFile : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    ASSERT_TRUE(folder.isValid());
    job_path = folder.filePath(QStringLiteral("auftrag.stx"));
  }

  void SetEveryControl() {
    AddEntries({"/fotos/a.jpg", "/fotos/ü b.tif"});
    form->text.RandEd->SetValue(-7);
    form->picture.RandEd2->SetValue(300);
    form->text.Memo1->setPlainText(QStringLiteral("Zeile eins\n\nZeile drei"));
    form->text.AddNoTextCheck->setChecked(true);
    form->picture.AddPicCheck->setChecked(true);
    form->text.TrackBar1->setValue(10);
    form->picture.TrackBar2->setValue(90);
    form->text.Position1->setCurrentIndex(0);
    form->picture.Position2->setCurrentIndex(10);
    form->process.jpeged->SetValue(33);
    form->process.OutDirEd->setText(QStringLiteral("Neu/Klein"));
    form->OpenDialog1Dir = QStringLiteral("/quellen");
    form->OpenDialog2Dir = QStringLiteral("/bilder");
    form->OpenDialog3Dir = QStringLiteral("/auftraege");
    form->SaveDialog1Dir = QStringLiteral("/sicher");
    form->Font.name = "DejaVu Sans";
    form->Font.style = kFontBold | kFontItalic;
    form->WatermarkDib.Bits[0] = 0x12;
    form->WatermarkDib.Bits[959] = 0x34;
  }

  void ExpectEveryControlAsSet() {
    EXPECT_EQ(ListEntries(), (QStringList{"/fotos/a.jpg", "/fotos/ü b.tif"}));
    EXPECT_EQ(form->text.RandEd->Value(), -7.0);
    EXPECT_EQ(form->picture.RandEd2->Value(), 300.0);
    EXPECT_EQ(form->text.Memo1->toPlainText(), QStringLiteral("Zeile eins\n\nZeile drei"));
    EXPECT_FALSE(form->text.AddTextCheck->isChecked());
    EXPECT_TRUE(form->text.AddNoTextCheck->isChecked());
    EXPECT_TRUE(form->picture.AddPicCheck->isChecked());
    EXPECT_FALSE(form->picture.NoPicChecked->isChecked());
    EXPECT_EQ(form->text.TrackBar1->value(), 10);
    EXPECT_EQ(form->picture.TrackBar2->value(), 90);
    EXPECT_EQ(form->text.Position1->currentIndex(), 0);
    EXPECT_EQ(form->picture.Position2->currentIndex(), 10);
    EXPECT_EQ(form->process.jpeged->Value(), 33.0);
    EXPECT_EQ(form->process.OutDirEd->text(), QStringLiteral("Neu/Klein"));
    EXPECT_EQ(form->OpenDialog1Dir, QStringLiteral("/quellen"));
    EXPECT_EQ(form->OpenDialog2Dir, QStringLiteral("/bilder"));
    EXPECT_EQ(form->OpenDialog3Dir, QStringLiteral("/auftraege"));
    EXPECT_EQ(form->SaveDialog1Dir, QStringLiteral("/sicher"));
    EXPECT_EQ(form->Font.name, "DejaVu Sans");
    EXPECT_EQ(form->Font.style, kFontBold | kFontItalic);
    ASSERT_NE(form->WatermarkDib.Bits, nullptr);
    EXPECT_EQ(form->WatermarkDib.Bits[0], 0x12);
    EXPECT_EQ(form->WatermarkDib.Bits[959], 0x34);
  }

  QTemporaryDir folder;
  QString job_path;
};

TEST_F(MainFormSettingsFile, SaveThenOpenRestoresEveryControl) {
  SetEveryControl();
  settings_save_answer = job_path;
  form->SaveBtnClick();
  ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();
  EXPECT_EQ(form->ProStatus, 0);  // the bar ends empty

  // A second window starts from the defaults and takes everything over.
  FormFixture::TearDown();
  FormFixture::SetUp();
  settings_open_answer = job_path;
  form->OpenBtnClick();
  ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();
  ExpectEveryControlAsSet();
  EXPECT_EQ(form->ProStatus, 0);
}

TEST_F(MainFormSettingsFile, CancelledDialogsDoNothing) {
  form->SaveBtnClick();
  form->OpenBtnClick();
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(QFile::exists(job_path));
}

TEST_F(MainFormSettingsFile, DamagedFileIsReportedAndChangesNothing) {
  settings_save_answer = job_path;
  form->SaveBtnClick();
  QFile file(job_path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.resize(200));  // ends inside the picture rows
  file.close();

  AddEntries({"/bleibt.jpg"});
  const TDibImage before = form->WatermarkDib;
  settings_open_answer = job_path;
  form->OpenBtnClick();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, QStringLiteral("Fehler"));
  EXPECT_EQ(messages[0].text,
            QStringLiteral("Die Datei %1 ist beschädigt und wurde nicht geladen.").arg(job_path));
  EXPECT_EQ(ListEntries(), QStringList{"/bleibt.jpg"});
  EXPECT_EQ(form->WatermarkDib.Bits, before.Bits);
}

TEST_F(MainFormSettingsFile, FailedSaveIsReportedWithCaptionFehler) {
  settings_save_answer = folder.filePath(QStringLiteral("fehlt/auftrag.stx"));
  form->SaveBtnClick();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, QStringLiteral("Fehler"));
  EXPECT_TRUE(messages[0].text.startsWith(
      QStringLiteral("Die Datei %1 konnte nicht gespeichert werden: ").arg(settings_save_answer)));
}

TEST_F(MainFormSettingsFile, ContentMayLeaveBothRadioButtonsOfAPairUnselected) {
  SettingsFileContent content = ContentFromForm(*form);
  content.watermark = newdib(2, 2, 24, nullptr, 0);  // the window takes it over
  content.text_on = false;
  content.text_off = false;
  content.picture_on = false;
  content.picture_off = false;
  content.text_position = -1;
  ApplyContentToForm(*form, std::move(content));
  EXPECT_FALSE(form->text.AddTextCheck->isChecked());
  EXPECT_FALSE(form->text.AddNoTextCheck->isChecked());
  EXPECT_FALSE(form->picture.AddPicCheck->isChecked());
  EXPECT_FALSE(form->picture.NoPicChecked->isChecked());
  EXPECT_EQ(form->text.Position1->currentIndex(), -1);
  EXPECT_EQ(form->WatermarkDib.Info->bmiHeader.biWidth, 2);
  // The pair is still exclusive afterwards.
  form->text.AddTextCheck->setChecked(true);
  form->text.AddNoTextCheck->setChecked(true);
  EXPECT_FALSE(form->text.AddTextCheck->isChecked());
}

namespace {

std::vector<char> FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return std::vector<char>(bytes.begin(), bytes.end());
}

}  // namespace

TEST_F(MainFormSettingsFile, TextComesBackFromTheWindowByteForByte) {
  const QString again_path = folder.filePath(QStringLiteral("wieder.stx"));
  for (const std::string text :
       {"A\r\n\r\n", "\r\n\r\nA", "A\r\n\r\n\r\nB", "A\nB\n\n", "A\r\nB\nC\rD\r\n", ""}) {
    SettingsFileContent content = ContentFromForm(*form);
    content.text = text;
    ASSERT_TRUE(WriteSettingsFile(QFile::encodeName(job_path).toStdString(), content).ok);
    settings_open_answer = job_path;
    form->OpenBtnClick();
    settings_save_answer = again_path;
    form->SaveBtnClick();
    ASSERT_TRUE(messages.empty());
    EXPECT_EQ(FileBytes(again_path), FileBytes(job_path)) << text;
  }
}

TEST_F(MainFormSettingsFile, TypedTextEndingInAnEmptyLineIsStoredWithIt) {
  form->text.Memo1->setPlainText(QStringLiteral("A\n\n"));
  settings_save_answer = job_path;
  form->SaveBtnClick();
  SettingsReadResult read = ReadSettingsFile(QFile::encodeName(job_path).toStdString());
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.text, "A\r\n\r\n");
  deldib(&read.content.watermark);

  // An edit after opening stores the memo's text with CR LF.
  settings_open_answer = job_path;
  form->OpenBtnClick();
  form->text.Memo1->setPlainText(QStringLiteral("B\n"));
  form->SaveBtnClick();
  read = ReadSettingsFile(QFile::encodeName(job_path).toStdString());
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.text, "B\r\n");
  deldib(&read.content.watermark);
}

TEST_F(MainFormSettingsFile, SourcePathsComeBackFromTheWindowByteForByte) {
  const std::string latin1 = QFile::encodeName(folder.path()).toStdString() + "/b\xE4r.bmp";
  std::FILE* made = std::fopen(latin1.c_str(), "wb");  // a Latin-1 name on this disk
  ASSERT_NE(made, nullptr);
  std::fclose(made);
  SettingsFileContent content = ContentFromForm(*form);
  content.sources = {"bilder/x.bmp", "C:\\Fotos\\x.jpg", "/fotos/y.tga", "..\\oben.bmp", latin1};
  ASSERT_TRUE(WriteSettingsFile(QFile::encodeName(job_path).toStdString(), content).ok);
  settings_open_answer = job_path;
  form->OpenBtnClick();
  EXPECT_EQ(ListEntries()[1], QStringLiteral("C:\\Fotos\\x.jpg"));
  const QString again_path = folder.filePath(QStringLiteral("wieder.stx"));
  settings_save_answer = again_path;
  form->SaveBtnClick();
  ASSERT_TRUE(messages.empty());
  EXPECT_EQ(FileBytes(again_path), FileBytes(job_path));
}

TEST_F(MainFormSettingsFile, RunOpensRelativeSourcesFromTheSettingsFilesFolder) {
  ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("bilder")));
  TDibImage picture = newdib(3, 2, 24, nullptr, 0);
  const QString source = folder.filePath(QStringLiteral("bilder/a.bmp"));
  ASSERT_EQ(SaveDib(&picture, QFile::encodeName(source).constData(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&picture);
  SettingsFileContent content = ContentFromForm(*form);
  content.sources = {"bilder/a.bmp"};
  content.text_on = false;
  content.text_off = true;
  ASSERT_TRUE(WriteSettingsFile(QFile::encodeName(job_path).toStdString(), content).ok);
  settings_open_answer = job_path;
  form->OpenBtnClick();
  EXPECT_EQ(ListEntries(), QStringList{"bilder/a.bmp"});
  RunToEnd();
  EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("bilder/Wasserzeichen/a.bmp"))));
}
