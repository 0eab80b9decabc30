// SPDX-License-Identifier: GPL-3.0-or-later
// A progress receiver that throws half-way through a settings file or a
// picture load: the error is shown in the "Stempora" box, nothing is
// half-applied, the bar ends empty and the window goes on working.
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <stdexcept>

#include "form_fixture.h"
#include "handlers/handler_guard.h"
#include "widgets/rx_spin_edit.h"

namespace {

// Answers the progress message like the window does, but fails on the
// first percentage above zero while `failing` is set.
class FailingProgressForm : public TMainForm {
 public:
  using TMainForm::TMainForm;
  void WMUser(int32_t percent) override {
    if (failing && percent > 0) throw std::runtime_error("Disk full");
    TMainForm::WMUser(percent);
  }
  bool failing = false;
};

class ProgressError : public FormFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    job_path = folder.filePath(QStringLiteral("auftrag.stx"));
    auto failing_form = std::make_unique<FailingProgressForm>(ScriptedDialogs());
    failing = failing_form.get();
    form = std::move(failing_form);
    SetHandlerErrorReporter([this](QWidget* parent, const QString& text) {
      reports << text;
      report_parents << parent;
    });
  }
  void TearDown() override {
    SetHandlerErrorReporter({});
    FormFixture::TearDown();
  }
  QByteArray FileBytes(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir folder;
  QString job_path;
  FailingProgressForm* failing = nullptr;
  QStringList reports;
  QList<QWidget*> report_parents;
};

}  // namespace

TEST_F(ProgressError, FailedSaveIsShownKeepsOldFileAndWindowSavesAgain) {
  {
    QFile old_file(job_path);
    ASSERT_TRUE(old_file.open(QIODevice::WriteOnly));
    old_file.write("alt");
  }
  settings_save_answer = job_path;
  failing->failing = true;
  form->SaveBtn->click();
  EXPECT_EQ(reports, QStringList{"Disk full"});
  EXPECT_EQ(report_parents.value(0), form.get());
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(FileBytes(job_path), QByteArray("alt"));
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"auftrag.stx"});  // no temporary left
  EXPECT_EQ(form->ProStatus, 0);

  failing->failing = false;
  form->SaveBtn->click();
  EXPECT_EQ(reports.size(), 1);
  EXPECT_TRUE(messages.empty());
  EXPECT_GT(FileBytes(job_path).size(), 192000);
}

TEST_F(ProgressError, FailedOpenIsShownAndChangesNothing) {
  AddEntries({"/aus/datei.jpg"});
  settings_save_answer = job_path;
  form->SaveBtn->click();
  ASSERT_TRUE(reports.isEmpty());

  form->sources.ListBox1->clear();
  form->text.RandEd->SetValue(7);
  const TDibImage before = form->WatermarkDib;
  settings_open_answer = job_path;
  failing->failing = true;
  form->OpenBtn->click();
  EXPECT_EQ(reports, QStringList{"Disk full"});
  EXPECT_EQ(form->sources.ListBox1->count(), 0);
  EXPECT_EQ(form->text.RandEd->Value(), 7.0);
  EXPECT_EQ(form->WatermarkDib.Bits, before.Bits);
  EXPECT_EQ(form->ProStatus, 0);

  failing->failing = false;
  form->OpenBtn->click();
  EXPECT_EQ(reports.size(), 1);
  EXPECT_EQ(ListEntries(), QStringList{"/aus/datei.jpg"});
  EXPECT_EQ(form->text.RandEd->Value(), 20.0);
}

TEST_F(ProgressError, FailingReceiverDuringPictureLoadIsShownOnceAndLoadGoesOn) {
  const QString path = folder.filePath(QStringLiteral("bild.bmp"));
  TDibImage image = newdib(3, 40, 24, nullptr, 0);
  ASSERT_EQ(SaveDib(&image, QFile::encodeName(path).constData(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&image);

  failing->failing = true;
  TDibImage loaded = OpenDib(QFile::encodeName(path).constData(), 0, form.get());
  EXPECT_NE(loaded.Bits, nullptr);
  deldib(&loaded);
  EXPECT_EQ(reports, QStringList{"Disk full"});
}
