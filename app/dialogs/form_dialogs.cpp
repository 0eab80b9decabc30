// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/form_dialogs.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeView>

#include "dialogs/font_dialog.h"

namespace {

// Qt's own start size cut the name, type and date columns short.
constexpr QSize kFileDialogSize(900, 560);

// Opens the dialog at the size kept in `size` (or the start size, held to
// the screen) and keeps the size it is left at.
// Qt's widths cut the type and the date short ("Ver...nis"): they get
// room for their longest usual text, the name takes the rest.
void WidenDetailColumns(QFileDialog& dialog) {
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (view == nullptr) return;
  QHeaderView* header = view->header();
  const QFontMetrics metrics(view->font());
  const int padding =
      2 * metrics.averageCharWidth() + header->style()->pixelMetric(QStyle::PM_HeaderMargin) * 2;
  const QString widest[] = {QStringLiteral("1023,9 KiB"), QStringLiteral("Verzeichnis, tiff-Datei"),
                            QStringLiteral("07.12.2024 21:53:25")};
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int column = 1; column <= 3 && column < header->count(); ++column) {
    header->setSectionResizeMode(column, QHeaderView::Interactive);
    header->resizeSection(column, metrics.horizontalAdvance(widest[column - 1]) + padding);
  }
}

int ExecAtKeptSize(QFileDialog& dialog, QSize* size) {
  WidenDetailColumns(dialog);
  QSize wanted = size != nullptr && size->isValid() ? *size : kFileDialogSize;
  if (const QScreen* screen = dialog.screen())
    wanted = wanted.boundedTo(screen->availableGeometry().size() * 0.9);
  dialog.resize(wanted);
  const int result = dialog.exec();
  if (size != nullptr) *size = dialog.size();
  return result;
}

QStringList ChooseFiles(QWidget* parent, const QString& initial_dir, const QStringList& filters,
                        QSize* size) {
  // No title of its own: the dialog's default title shows.
  QFileDialog dialog(parent);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters(filters);
  if (!initial_dir.isEmpty()) dialog.setDirectory(initial_dir);
  dialog.setSizeGripEnabled(true);
  if (ExecAtKeptSize(dialog, size) != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString ChooseSettingsFile(QWidget* parent, const QString& initial_dir, bool saving, QSize* size) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromUtf8(kSettingsFileFilter));
  dialog.setDefaultSuffix(QString::fromUtf8(kSettingsFileSuffix));
  // Saving asks before replacing a file; Qt's dialog does so by default.
  if (!initial_dir.isEmpty()) dialog.setDirectory(initial_dir);
  dialog.setSizeGripEnabled(true);
  if (ExecAtKeptSize(dialog, size) != QDialog::Accepted) return {};
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
  auto size = std::make_shared<QSize>();
  dialogs.file_dialog_size = size;
  auto choose_files = [size](QWidget* parent, const QString& dir, const QStringList& filters) {
    return ChooseFiles(parent, dir, filters, size.get());
  };
  dialogs.choose_source_files = choose_files;
  dialogs.choose_settings_to_save = [size](QWidget* parent, const QString& dir) {
    return ChooseSettingsFile(parent, dir, true, size.get());
  };
  dialogs.choose_settings_to_open = [size](QWidget* parent, const QString& dir) {
    return ChooseSettingsFile(parent, dir, false, size.get());
  };
  dialogs.choose_picture_files = choose_files;  // same options: read-only hidden, several, sizeable
  dialogs.choose_font = ChooseTextFont;
  dialogs.show_message = ShowMessage;
  dialogs.ask_question = AskQuestion;
  return dialogs;
}
