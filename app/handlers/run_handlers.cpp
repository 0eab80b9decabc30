// SPDX-License-Identifier: GPL-3.0-or-later
// The start button's batch run. The run works on worker threads while the
// window goes on painting and answering; everything that would change the
// job or start another run is disabled until it ends, and the start button
// becomes "Abbrechen". The log lines arrive in list order; the status bar
// shows the whole batch's progress and, in its text panel, which source
// the run is at and, at the end, what it wrote.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <utility>

#include "handlers/handler_guard.h"
#include "main_form.h"
#include "run/failure_text.h"
#include "run/output_names.h"
#include "run/output_path.h"
#include "run/output_plan.h"
#include "state/background_run.h"
#include "state/form_content.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/glyphs.h"
#include "widgets/log_follower.h"
#include "widgets/rx_spin_edit.h"

namespace {

const QString kErrorCaption = QStringLiteral("Fehler");
const QString kCancelCaption = QStringLiteral("Abbrechen");
const QString kEndRunQuestion = QStringLiteral("Der Lauf ist noch nicht beendet. Abbrechen und beenden?");

// How often the status bar follows the run: often enough to look smooth,
// seldom enough that thousands of small pictures do not keep the window's
// thread painting.
constexpr int kProgressIntervalMs = 50;

// Why a run stopped half-way, for the error box.
QString AbortText(const BatchOutcome& outcome) { return QString::fromStdString(AbortReasonText(outcome)); }

// The advice names what decides where the outputs go: the subfolder's
// name on the page, or the target folder and the names in "Ausgabe...".
QString OverwriteRefusedMessage(const std::string& source, bool target_folder) {
  const QString text =
      target_folder ? QStringLiteral(
                          "Die Zieldateien würden Quelldateien überschreiben. Bitte unter "
                          "\"Ausgabe...\" einen anderen Zielordner oder Dateinamen wählen.\n"
                          "Zuerst betroffen: %1")
                    : QStringLiteral(
                          "Die Zieldateien würden Quelldateien überschreiben. Bitte einen anderen Namen für "
                          "das Unterverzeichnis wählen.\nZuerst betroffen: %1");
  return text.arg(QFile::decodeName(QByteArray::fromStdString(source)));
}

QString RunningText(const BatchProgress& progress) {
  return QStringLiteral("Datei %1 von %2").arg(progress.started).arg(progress.total);
}

QString EndedText(const BatchOutcome& outcome) {
  QString text = QStringLiteral("%1 Dateien geschrieben, %2 Fehler")
                     .arg(outcome.sources_written)
                     .arg(outcome.sources_failed);
  // Without the skipped ones, a run that skipped every source would read
  // like a run over an empty list.
  if (outcome.sources_skipped > 0) text += QStringLiteral(", %1 übersprungen").arg(outcome.sources_skipped);
  return text;
}

}  // namespace

void TMainForm::AppendLog(const QString& line) { process.Memo2->appendPlainText(line); }

bool TMainForm::RunCancelRequested() const { return run_ != nullptr && run_->CancelRequested(); }

void TMainForm::AddPDFBtnClick() {
  if (RunGoing()) {
    // The button says "Abbrechen" now.
    run_->Cancel();
    return;
  }
  StartRun();
}

void TMainForm::StartRun() {
  // Every setting is read once here and holds for the whole run; the run
  // takes its own copy of the picture watermark.
  const SettingsFileContent settings = ContentFromForm(*this);
  auto run = std::make_unique<BackgroundRun>(JobFromSettings(settings), 0, this);
  connect(run.get(), &BackgroundRun::LinesLogged, this, [this](const QStringList& lines) {
    RunGuarded(this, [&] {
      for (const QString& line : lines) AppendLog(line);
    });
  });
  connect(run.get(), &BackgroundRun::Ended, this,
          [this](const BatchOutcome& outcome) { RunGuarded(this, [&] { RunEnded(outcome); }); });
  if (run_progress_timer_ == nullptr) {
    run_progress_timer_ = new QTimer(this);
    run_progress_timer_->setInterval(kProgressIntervalMs);
    connect(run_progress_timer_, &QTimer::timeout, this, Guarded(this, &TMainForm::ShowRunProgress));
  }

  SetProStatus(0);
  StatusBar1->SetPanelText(QString());
  close_when_run_ends_ = false;
  run->Start();  // a thread that cannot be made leaves the window as it was
  run_ = run.release();
  // The log shows its end and follows the run's lines, wherever it was
  // scrolled to before.
  log_follower_->FollowFromHere();
  LockJobControls();
  run_progress_timer_->start();
}

std::vector<QWidget*> TMainForm::JobControls() const {
  return {NewBtn,
          OpenBtn,
          SaveBtn,
          sources.ListBox1,
          sources.AddBtn,
          sources.DelBtn,
          text.RandEd,
          text.Position1,
          text.TrackBar1,
          text.Memo1,
          text.NewFontBtn,
          text.TextOptionsBtn,
          text.AddTextCheck,
          text.AddNoTextCheck,
          picture.RandEd2,
          picture.Position2,
          picture.TrackBar2,
          picture.AddPicCheck,
          picture.NoPicChecked,
          picture.OpenPicBtn,
          picture.PictureOptionsBtn,
          process.OutputOptionsBtn,
          process.OutDirEd,
          process.jpeged};
}

void TMainForm::LockJobControls() {
  enabled_before_run_.clear();
  for (QWidget* control : JobControls()) {
    // The control's own flag, not whether a parent disables it.
    enabled_before_run_.push_back(!control->testAttribute(Qt::WA_ForceDisabled));
    control->setEnabled(false);
  }
  go_caption_before_run_ = process.GoBtn->text();
  go_glyph_before_run_ = process.GoBtn->icon();
  process.GoBtn->setText(kCancelCaption);
  process.GoBtn->SetGlyph(MakeGlyph(GlyphId::kCancel));
}

void TMainForm::UnlockJobControls() {
  const std::vector<QWidget*> controls = JobControls();
  for (size_t i = 0; i < controls.size() && i < enabled_before_run_.size(); ++i)
    controls[i]->setEnabled(enabled_before_run_[i]);
  process.GoBtn->setText(go_caption_before_run_);
  process.GoBtn->SetGlyph(go_glyph_before_run_);
}

void TMainForm::ShowRunProgress() {
  if (run_ == nullptr) return;
  const BatchProgress progress = run_->Progress();
  if (progress.total <= 0) return;  // no source started yet
  const auto percent = int32_t(progress.fraction * 100);
  if (percent != ProStatus) SetProStatus(percent);
  StatusBar1->SetPanelText(RunningText(progress));
}

void TMainForm::RunEnded(const BatchOutcome& outcome) {
  ShowRunProgress();  // the last step, which the timer may not have seen
  run_progress_timer_->stop();
  run_->deleteLater();  // it is still emitting
  run_ = nullptr;
  UnlockJobControls();

  if (outcome.out_dir_refused) {
    // The name field is locked during a run, so it still holds the name
    // the run was given.
    dialogs_.show_message(this, kErrorCaption,
                          QString::fromUtf8(kOutDirLeavesSourceFolderText) + process.OutDirEd->text());
  } else if (outcome.name_pattern_refused) {
    dialogs_.show_message(this, kErrorCaption,
                          QString::fromUtf8(kNamePatternLeavesOutputFolderText) +
                              QString::fromStdString(Options.output.name_pattern));
  } else if (outcome.refused) {
    // The options are locked during a run: they are still the run's.
    dialogs_.show_message(
        this, kErrorCaption,
        OverwriteRefusedMessage(outcome.overwritten_source, WritesToTargetFolder(Options.output)));
  } else {
    StatusBar1->SetPanelText(EndedText(outcome));
    // An error that stopped the run is shown like any error escaping a handler.
    if (outcome.aborted) ReportHandlerError(this, AbortText(outcome));
  }
  if (std::exchange(close_when_run_ends_, false)) close();
}

void TMainForm::AskToEndRunAndClose() {
  if (close_when_run_ends_) return;  // asked and confirmed already
  if (!dialogs_.ask_question(this, QString::fromUtf8(kApplicationTitle), kEndRunQuestion)) return;
  if (RunGoing()) {
    close_when_run_ends_ = true;
    run_->Cancel();
    return;
  }
  // The run ended while the question was open. This is still inside the
  // close that asked, which would refuse a nested close.
  QTimer::singleShot(0, this, &QWidget::close);
}
