// SPDX-License-Identifier: GPL-3.0-or-later
// The window while a batch run works on its worker threads: the job's
// controls are locked and come back as they were, the start button cancels
// instead of starting again, quitting asks first and closes after the run,
// and the log and the status bar follow the run in order.
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

#include "widgets/bit_btn_xp.h"
#include "form_fixture.h"
#include "handlers/opened_paths.h"
#include "widgets/rx_spin_edit.h"

namespace {

constexpr int kSourceCount = 200;
const QString kStartCaption = QStringLiteral("Wasserzeichen hinzufügen...");

class MainFormDuringRun : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    ASSERT_TRUE(folder.isValid());
    // Pictures large enough that the run lasts well beyond the few
    // statements a test needs to catch it half-way.
    const QString first = folder.filePath(QStringLiteral("bild000.jpg"));
    TDibImage image = newdib(640, 480, 24, nullptr, 0);
    ASSERT_EQ(SaveDib(&image, QFile::encodeName(first).constData(), PIXKIT_FORMAT_JPG, nullptr), 1);
    deldib(&image);
    sources << first;
    for (int i = 1; i < kSourceCount; ++i) {
      const QString path = folder.filePath(QStringLiteral("bild%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
      ASSERT_TRUE(QFile::copy(first, path));
      sources << path;
    }
    source_bytes = FileBytes(first);
    AddEntries(sources);
    form->text.Memo1->setPlainText(QStringLiteral("Stempora\nProbe"));
  }

  static QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QStringList LogLines() const { return form->process.Memo2->toPlainText().split(QLatin1Char('\n')); }
  QString OutputFolder() const { return folder.filePath(QStringLiteral("Wasserzeichen")); }

  std::vector<QWidget*> JobControls() const {
    return {form->NewBtn,
            form->OpenBtn,
            form->SaveBtn,
            form->sources.ListBox1,
            form->sources.AddBtn,
            form->sources.DelBtn,
            form->text.RandEd,
            form->text.Position1,
            form->text.TrackBar1,
            form->text.Memo1,
            form->text.NewFontBtn,
            form->text.AddTextCheck,
            form->text.AddNoTextCheck,
            form->picture.RandEd2,
            form->picture.Position2,
            form->picture.TrackBar2,
            form->picture.AddPicCheck,
            form->picture.NoPicChecked,
            form->picture.OpenPicBtn,
            form->process.OutDirEd,
            form->process.jpeged};
  }

  QTemporaryDir folder;
  QStringList sources;
  QByteArray source_bytes;
};

}  // namespace

TEST_F(MainFormDuringRun, JobControlsAreLockedDuringRunAndComeBackAsTheyWere) {
  form->sources.DelBtn->setEnabled(false);  // disabled before the run: stays so
  form->AddPDFBtnClick();
  ASSERT_TRUE(form->RunGoing());
  for (QWidget* control : JobControls())
    EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
  EXPECT_TRUE(form->process.GoBtn->isEnabled());
  EXPECT_EQ(form->process.GoBtn->text(), QStringLiteral("Abbrechen"));
  EXPECT_TRUE(form->QuitBtn->isEnabled());
  EXPECT_TRUE(form->process.Memo2->isEnabled());

  ASSERT_TRUE(WaitForRunEnd());
  for (QWidget* control : JobControls())
    EXPECT_EQ(control->isEnabled(), control != form->sources.DelBtn) << control->objectName().toStdString();
  EXPECT_EQ(form->process.GoBtn->text(), kStartCaption);
}

TEST_F(MainFormDuringRun, DoubleClickOnStartRunsOnceAndOutsidePathsWaitForNothing) {
  ShowActive();
  form->PageControl1->setCurrentIndex(3);
  // Through the window, so the platform's own double-click detection
  // turns the second press into a double click as a real mouse would.
  QWidget* go = form->process.GoBtn;
  QTest::mouseDClick(form->windowHandle(), Qt::LeftButton, {}, go->mapTo(form.get(), go->rect().center()));
  ASSERT_TRUE(form->RunGoing());
  EXPECT_FALSE(form->RunCancelRequested());
  // A job or pictures handed over from outside are not taken mid-run.
  OpenPathsInForm(*form, SortOpenedPaths({folder.filePath(QStringLiteral("neu.jpg"))}));
  EXPECT_EQ(form->sources.ListBox1->count(), kSourceCount);

  ASSERT_TRUE(WaitForRunEnd());
  QTest::qWait(100);  // a second run would have been queued by now
  EXPECT_FALSE(form->RunGoing());
  const QStringList log = LogLines();
  EXPECT_EQ(log.count(QStringLiteral("Fertig...")), 1);
  EXPECT_EQ(log.size(), 2 * kSourceCount + 1);
}

TEST_F(MainFormDuringRun, AbbrechenStopsTheRunLeavingOnlyWholeOutputsAndSourcesUntouched) {
  ShowActive();
  form->PageControl1->setCurrentIndex(3);
  QTest::mouseClick(form->process.GoBtn, Qt::LeftButton);
  ASSERT_TRUE(form->RunGoing());
  QTest::mouseClick(form->process.GoBtn, Qt::LeftButton);
  EXPECT_TRUE(form->RunCancelRequested());
  ASSERT_TRUE(WaitForRunEnd());

  const QStringList log = LogLines();
  EXPECT_EQ(log.last(), QStringLiteral("Abgebrochen..."));
  QStringList written;
  for (const QString& line : log)
    if (line.endsWith(QStringLiteral(" geschrieben..."))) written << line.chopped(15);
  EXPECT_LT(written.size(), kSourceCount);
  // Every file in the output folder is one the log names as written, and
  // loads whole: nothing half-written, no temporary file.
  const QDir out(OutputFolder());
  const QStringList present = out.entryList(QDir::Files | QDir::Hidden | QDir::System);
  EXPECT_EQ(present.size(), written.size());
  for (const QString& name : present) {
    const QString path = out.filePath(name);
    EXPECT_TRUE(written.contains(path)) << path.toStdString();
    TDibImage loaded = OpenDib(QFile::encodeName(path).constData(), 0, nullptr);
    EXPECT_NE(loaded.Bits, nullptr) << path.toStdString();
    deldib(&loaded);
  }
  for (const QString& source : sources) ASSERT_EQ(FileBytes(source), source_bytes) << source.toStdString();
  EXPECT_EQ(form->StatusBar1->PanelText(),
            QStringLiteral("%1 Dateien geschrieben, 0 Fehler").arg(written.size()));
  EXPECT_EQ(form->process.GoBtn->text(), kStartCaption);
}

TEST_F(MainFormDuringRun, EscDuringRunAsksThenClosesOnceTheRunHasEnded) {
  ShowActive();
  form->AddPDFBtnClick();
  question_answer = true;
  QTest::keyClick(form.get(), Qt::Key_Escape);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, QStringLiteral("Stempora"));
  EXPECT_EQ(questions[0].text, QStringLiteral("Der Lauf ist noch nicht beendet. Abbrechen und beenden?"));
  EXPECT_TRUE(form->RunCancelRequested());
  EXPECT_TRUE(form->isVisible());  // not before the run has ended

  ASSERT_TRUE(QTest::qWaitFor([this] { return !form->isVisible(); }, 120000));
  EXPECT_FALSE(form->RunGoing());
  EXPECT_EQ(LogLines().last(), QStringLiteral("Abgebrochen..."));
  EXPECT_TRUE(form->FormStorage1.Saved());
  EXPECT_EQ(questions.size(), 1u);
}

TEST_F(MainFormDuringRun, RunEndingWhileTheQuestionIsOpenStillClosesWhenConfirmed) {
  ShowActive();
  form->AddPDFBtnClick();
  form->Dialogs().ask_question = [this](QWidget*, const QString&, const QString&) {
    EXPECT_TRUE(WaitForRunEnd());  // the box's own event loop lets the run end
    return true;
  };
  form->QuitBtn->click();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !form->isVisible(); }, 10000));
  EXPECT_EQ(LogLines().last(), QStringLiteral("Fertig..."));
  EXPECT_TRUE(form->FormStorage1.Saved());
}

TEST_F(MainFormDuringRun, CloseByWindowManagerNotConfirmedLetsTheRunFinish) {
  ShowActive();
  form->AddPDFBtnClick();
  question_answer = false;
  form->windowHandle()->close();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_FALSE(form->RunCancelRequested());
  ASSERT_TRUE(WaitForRunEnd());
  QTest::qWait(50);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(LogLines().last(), QStringLiteral("Fertig..."));
  EXPECT_FALSE(form->FormStorage1.Saved());
}

TEST_F(MainFormDuringRun, LogArrivesInListOrderAndProgressRunsOnceOverTheBatch) {
  ShowActive();
  form->SetProStatus(60);
  form->AddPDFBtnClick();
  EXPECT_EQ(form->ProStatus, 0);  // emptied when the run starts
  const QRegularExpression running(QStringLiteral("^Datei (\\d+) von 200$"));
  std::vector<int> shown{0};
  const QDeadlineTimer deadline(120000);
  while (form->RunGoing() && !deadline.hasExpired()) {
    if (form->ProStatus != shown.back()) shown.push_back(form->ProStatus);
    const QString text = form->StatusBar1->PanelText();
    EXPECT_TRUE(text.isEmpty() || running.match(text).hasMatch()) << text.toStdString();
    QTest::qWait(5);
  }
  ASSERT_FALSE(form->RunGoing());
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_EQ(form->ProStatus, 100);
  EXPECT_EQ(form->StatusBar1->PanelText(), QStringLiteral("200 Dateien geschrieben, 0 Fehler"));

  QStringList expected;
  for (const QString& source : sources)
    expected << source + QStringLiteral(" geladen...")
             << OutputFolder() + QLatin1Char('/') + QFileInfo(source).fileName() +
                    QStringLiteral(" geschrieben...");
  expected << QStringLiteral("Fertig...");
  EXPECT_EQ(LogLines(), expected);
}
