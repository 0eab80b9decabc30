// SPDX-License-Identifier: GPL-3.0-or-later
// The file dialogs and message boxes the window's handlers show. Tests
// replace them, so a handler can run without a modal dialog.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "run/text_font.h"

class QWidget;

struct FormDialogs {
  // The source dialog (multiple selection). Returns the chosen paths in the
  // dialog's order, or none when cancelled.
  std::function<QStringList(QWidget* parent, const QString& initial_dir, const QStringList& filters)>
      choose_source_files;
  // The settings-file dialogs (filter "Einstellungen (*.stx)", default
  // extension ".stx"). Return an empty path when cancelled.
  std::function<QString(QWidget* parent, const QString& initial_dir)> choose_settings_to_save;
  std::function<QString(QWidget* parent, const QString& initial_dir)> choose_settings_to_open;
  // The picture watermark's dialog (several files may be chosen; the
  // handler takes the first). Returns none when cancelled.
  std::function<QStringList(QWidget* parent, const QString& initial_dir, const QStringList& filters)>
      choose_picture_files;
  // FontDialog1 on the given font; nothing when cancelled.
  std::function<std::optional<TextFont>(QWidget* parent, const TextFont& font)> choose_font;
  // A message box with an OK button.
  std::function<void(QWidget* parent, const QString& caption, const QString& text)> show_message;
  // A question with the buttons "Ja" and "Nein"; true for "Ja". Closing
  // the box answers "Nein".
  std::function<bool(QWidget* parent, const QString& caption, const QString& text)> ask_question;

  // The size the standard file dialogs open at; each keeps the size it was
  // left at for the next, and the form-state store keeps it between runs.
  // Empty: a size that fits their columns. Null for dialogs that show none.
  std::shared_ptr<QSize> file_dialog_size;

  static FormDialogs Standard();
};

inline constexpr const char* kSettingsFileFilter = "Einstellungen (*.stx)";
inline constexpr const char* kSettingsFileSuffix = "stx";
