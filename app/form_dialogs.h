// The file dialogs and message boxes the window's handlers show. Tests
// replace them, so a handler can run without a modal dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

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
  // A message box with an OK button.
  std::function<void(QWidget* parent, const QString& caption, const QString& text)> show_message;

  static FormDialogs Standard();
};

inline constexpr const char* kSettingsFileFilter = "Einstellungen (*.stx)";
inline constexpr const char* kSettingsFileSuffix = "stx";
