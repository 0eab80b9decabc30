// SPDX-License-Identifier: GPL-3.0-or-later
// The start button runs the job read from the controls and logs into Memo2.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include "form_fixture.h"

class MainFormRun : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    ASSERT_TRUE(folder.isValid());
  }
  // A 3 x 2 24-bit bitmap written by the library.
  QString MakeSource(const QString& name) {
    const QString path = folder.filePath(name);
    TDibImage image = newdib(3, 2, 24, nullptr, 0);
    EXPECT_EQ(SaveDib(&image, QFile::encodeName(path).constData(), PIXKIT_FORMAT_BMP, nullptr), 1);
    deldib(&image);
    return path;
  }
  QStringList LogLines() const { return form->process.Memo2->toPlainText().split(QLatin1Char('\n')); }

  QTemporaryDir folder;
};

TEST_F(MainFormRun, EmptyListLogsOnlyFertig) {
  RunToEnd();
  EXPECT_EQ(LogLines(), QStringList{"Fertig..."});
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormRun, RecognisedSourceIsLoggedAndWrittenIntoSubfolder) {
  const QString source = MakeSource(QStringLiteral("bild.bmp"));
  const QString other = folder.filePath(QStringLiteral("anders.png"));
  AddEntries({source, other});
  RunToEnd();
  const QString output = folder.filePath(QStringLiteral("Wasserzeichen/bild.bmp"));
  EXPECT_EQ(LogLines(),
            (QStringList{source + " geladen...", output + " geschrieben...",
                         other + " übersprungen: dieser Dateityp wird nicht bearbeitet", "Fertig..."}));
  EXPECT_TRUE(QFile::exists(output));
  EXPECT_EQ(ListEntries().size(), 2);  // the run leaves the list alone
}

TEST_F(MainFormRun, LogOfSuccessiveRunsAccumulates) {
  RunToEnd();
  RunToEnd();
  EXPECT_EQ(LogLines(), (QStringList{"Fertig...", "Fertig..."}));
}

// Scrolled to its top (Ctrl+Pos1), the log took a run's lines out of
// view for the whole run.
TEST_F(MainFormRun, TheLogShowsTheRunsLastLineWhereverItWasScrolledTo) {
  ShowActive();
  form->PageControl1->setCurrentWidget(form->process.TabSheet4);
  for (int i = 0; i < 40; ++i) form->process.Memo2->appendPlainText(QStringLiteral("alt"));
  QScrollBar* bar = form->process.Memo2->verticalScrollBar();
  bar->setValue(0);
  AddEntries({MakeSource(QStringLiteral("a.bmp")), MakeSource(QStringLiteral("b.bmp"))});
  RunToEnd();
  QApplication::processEvents();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(MainFormRun, RunThatWouldOverwriteSourcesIsRefused) {
  const QString source = MakeSource(QStringLiteral("bild.bmp"));
  AddEntries({source});
  form->process.OutDirEd->setText(QString());
  RunToEnd();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, QStringLiteral("Fehler"));
  EXPECT_EQ(messages[0].text, QStringLiteral("Die Zieldateien würden Quelldateien überschreiben. Bitte "
                                             "einen anderen Namen für das Unterverzeichnis wählen.\n"
                                             "Zuerst betroffen: %1")
                                  .arg(source));
  EXPECT_TRUE(form->process.Memo2->toPlainText().isEmpty());
}

// With a target folder chosen in "Ausgabe...", the unused subfolder field
// still took input, and a refused run advised renaming that subfolder.
TEST_F(MainFormRun, WithATargetFolderTheSubfolderFieldIsOffAndARefusalNamesTheTargetFolder) {
  const QString source = MakeSource(QStringLiteral("bild.bmp"));
  AddEntries({source});
  EXPECT_TRUE(form->process.OutDirEd->isEnabled());
  form->Options.output.target = ExportTarget::kTargetFolder;
  form->Options.output.target_folder = QFile::encodeName(folder.path()).toStdString();
  form->SettingsChanged();
  EXPECT_FALSE(form->process.OutDirEd->isEnabled());
  RunToEnd();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, QStringLiteral("Die Zieldateien würden Quelldateien überschreiben. Bitte unter "
                                             "\"Ausgabe...\" einen anderen Zielordner oder Dateinamen "
                                             "wählen.\nZuerst betroffen: %1")
                                  .arg(source));

  form->Options.output.target = ExportTarget::kSubfolder;
  form->SettingsChanged();
  EXPECT_TRUE(form->process.OutDirEd->isEnabled());
}

// A run that skipped every source ended on "0 Dateien geschrieben, 0
// Fehler", as if the list had been empty.
TEST_F(MainFormRun, TheStatusBarCountsSkippedSources) {
  AddEntries({folder.filePath(QStringLiteral("anders.png"))});
  RunToEnd();
  EXPECT_EQ(form->StatusBar1->PanelText(), QStringLiteral("0 Dateien geschrieben, 0 Fehler, 1 übersprungen"));
  AddEntries({MakeSource(QStringLiteral("bild.bmp"))});
  delete form->sources.ListBox1->takeItem(0);
  RunToEnd();
  EXPECT_EQ(form->StatusBar1->PanelText(), QStringLiteral("1 Dateien geschrieben, 0 Fehler"));
}

TEST_F(MainFormRun, LibraryProgressReachesTheStatusBar) {
  const QString source = MakeSource(QStringLiteral("bild.bmp"));
  TDibImage loaded = OpenDib(QFile::encodeName(source).constData(), 0, form.get());
  deldib(&loaded);
  EXPECT_EQ(form->ProStatus, 100);
}
