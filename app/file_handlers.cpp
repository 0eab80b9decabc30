// The start button's run and the settings-file buttons.
#include <QFile>
#include <QPlainTextEdit>

#include "form_content.h"
#include "handler_guard.h"
#include "main_form.h"
#include "run/batch.h"

namespace {
const QString kErrorCaption = QStringLiteral("Fehler");

// Why a run stopped half-way, for the error box.
QString AbortText(const BatchOutcome& outcome) {
  if (outcome.out_of_memory) return QStringLiteral("Nicht genügend Arbeitsspeicher");
  if (outcome.abort_reason.empty()) return QStringLiteral("Unbekannter Fehler");
  return QString::fromStdString(outcome.abort_reason);
}

QString OverwriteRefusedMessage(const std::string& source) {
  return QStringLiteral(
             "Die Zieldateien würden Quelldateien überschreiben. Bitte einen anderen Namen für das "
             "Unterverzeichnis wählen.\nZuerst betroffen: %1")
      .arg(QFile::decodeName(QByteArray::fromStdString(source)));
}

// Runs a settings-file operation. When an error escapes it half-way (the
// progress receiver may throw), the bar is emptied as the operation's own
// last progress step would have done, and the error goes on to the
// handler's edge.
template <class Operation>
auto WithProgressBarEmptiedOnError(TMainForm& form, Operation&& operation) {
  try {
    return operation();
  } catch (...) {
    form.SetProStatus(0);
    throw;
  }
}
}  // namespace

void TMainForm::AppendLog(const QString& line) { process.Memo2->appendPlainText(line); }

void TMainForm::AddPDFBtnClick() {
  // Every setting is read once here and holds for the whole run.
  const SettingsFileContent settings = ContentFromForm(*this);
  const WatermarkJob job = JobFromSettings(settings, this);
  BatchControl control;
  control.workers = 1;  // on the window's thread, which the library's progress reaches
  const BatchOutcome outcome = RunBatch(
      job, [this](const std::string& line) { AppendLog(QString::fromStdString(line)); }, control);
  if (outcome.refused) {
    dialogs_.show_message(this, kErrorCaption, OverwriteRefusedMessage(outcome.overwritten_source));
    return;
  }
  // An error that stopped the run is shown like any error escaping a handler.
  if (outcome.aborted) ReportHandlerError(this, AbortText(outcome));
}

void TMainForm::SaveBtnClick() {
  const QString path = dialogs_.choose_settings_to_save(this, SaveDialog1Dir);
  if (path.isEmpty()) return;
  const SettingsFileContent content = ContentFromForm(*this);
  const SettingsWriteResult result = WithProgressBarEmptiedOnError(*this, [&] {
    return WriteSettingsFile(QFile::encodeName(path).toStdString(), content,
                             [this](int percent) { WMUser(percent); });
  });
  if (!result.ok) dialogs_.show_message(this, kErrorCaption, QString::fromStdString(result.message));
}

void TMainForm::OpenBtnClick() {
  const QString path = dialogs_.choose_settings_to_open(this, OpenDialog3Dir);
  if (path.isEmpty()) return;
  OpenSettingsFile(path);
}

void TMainForm::OpenSettingsFile(const QString& path) {
  // The whole file is parsed first; a damaged one changes nothing.
  SettingsReadResult result = WithProgressBarEmptiedOnError(*this, [&] {
    return ReadSettingsFile(QFile::encodeName(path).toStdString(), [this](int percent) { WMUser(percent); });
  });
  if (!result.ok()) {
    if (!result.message.empty())
      dialogs_.show_message(this, kErrorCaption, QString::fromStdString(result.message));
    return;
  }
  ApplyContentToForm(*this, std::move(result.content));
}
