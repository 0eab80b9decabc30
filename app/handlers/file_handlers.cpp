// SPDX-License-Identifier: GPL-3.0-or-later
// The settings-file buttons.
#include <QFile>
#include <QFileInfo>

#include "handlers/handler_guard.h"
#include "main_form.h"
#include "state/form_content.h"

namespace {
const QString kErrorCaption = QStringLiteral("Fehler");

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
  WatermarkDibOrigin = {WatermarkOrigin::Kind::kSettingsFile,
                        QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString()};
  SettingsChanged();
}
