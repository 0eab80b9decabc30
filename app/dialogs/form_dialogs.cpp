// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/form_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "dialogs/font_dialog.h"

namespace {

QStringList ChooseSourceFiles(QWidget* parent, const QString& initial_dir, const QStringList& filters) {
  // No title of its own: the dialog's default title shows.
  QFileDialog dialog(parent);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters(filters);
  if (!initial_dir.isEmpty()) dialog.setDirectory(initial_dir);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString ChooseSettingsFile(QWidget* parent, const QString& initial_dir, bool saving) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromUtf8(kSettingsFileFilter));
  dialog.setDefaultSuffix(QString::fromUtf8(kSettingsFileSuffix));
  // Saving asks before replacing a file; Qt's dialog does so by default.
  if (!initial_dir.isEmpty()) dialog.setDirectory(initial_dir);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.first();
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text) {
  // Boxes captioned "Fehler" report a failed action; the others warn.
  const QMessageBox::Icon icon =
      caption == QStringLiteral("Fehler") ? QMessageBox::Critical : QMessageBox::Warning;
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

bool AskQuestion(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
  // Qt's own button texts would show in English without a translation.
  box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
  box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

FormDialogs FormDialogs::Standard() {
  FormDialogs dialogs;
  dialogs.choose_source_files = ChooseSourceFiles;
  dialogs.choose_settings_to_save = [](QWidget* parent, const QString& dir) {
    return ChooseSettingsFile(parent, dir, true);
  };
  dialogs.choose_settings_to_open = [](QWidget* parent, const QString& dir) {
    return ChooseSettingsFile(parent, dir, false);
  };
  dialogs.choose_picture_files = ChooseSourceFiles;  // same options: read-only hidden, several, sizeable
  dialogs.choose_font = ChooseTextFont;
  dialogs.show_message = ShowMessage;
  dialogs.ask_question = AskQuestion;
  return dialogs;
}
