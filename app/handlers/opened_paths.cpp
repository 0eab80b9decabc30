// SPDX-License-Identifier: GPL-3.0-or-later
#include "handlers/opened_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "handlers/handler_guard.h"
#include "main_form.h"
#include "run/failure_text.h"
#include "run/log_text.h"
#include "run/output_path.h"
#include "run/output_save.h"

namespace {

bool IsSettingsFile(const QFileInfo& info) {
  return info.suffix().compare(QString::fromUtf8(kSettingsFileSuffix), Qt::CaseInsensitive) == 0;
}

// The folder's files that the run would stamp, by name; hidden files and
// subfolders stay out.
QStringList HandledFilesInFolder(const QString& folder, const ExportOptions& output) {
  QStringList files;
  const QDir dir(folder);
  for (const QFileInfo& entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
    if (RunStampsFile(entry.fileName(), output)) files.append(entry.absoluteFilePath());
  }
  return files;
}

}  // namespace

OpenedPaths SortOpenedPaths(const QStringList& paths, const ExportOptions& output) {
  OpenedPaths opened;
  for (const QString& path : paths) {
    if (path.isEmpty()) continue;
    const QFileInfo info(path);
    if (info.isDir())
      opened.sources.append(HandledFilesInFolder(info.absoluteFilePath(), output));
    else if (IsSettingsFile(info))
      opened.settings_file = info.absoluteFilePath();
    else if (RunStampsFile(path, output))
      opened.sources.append(info.absoluteFilePath());
    else
      opened.skipped.append(info.absoluteFilePath());
  }
  return opened;
}

bool RunStampsFile(const QString& path, const ExportOptions& output) {
  return SourceRowForJob(QFile::encodeName(path).toStdString(), output) != 0;
}

void OpenPathsInForm(TMainForm& form, const OpenedPaths& opened) {
  // The list and the settings hold still while a run goes on.
  if (form.RunGoing()) return;
  RunGuarded(&form, [&] {
    if (!opened.settings_file.isEmpty()) form.OpenSettingsFile(opened.settings_file);
    for (const QString& path : opened.sources) AppendSourceEntry(form.sources.ListBox1, path);
    for (const QString& path : opened.skipped)
      form.AppendLog(
          QString::fromStdString(SkippedTypeText(LogPathText(QFile::encodeName(path).toStdString()))));
    if (!opened.skipped.isEmpty()) {
      const qsizetype count = opened.skipped.size();
      form.StatusBar1->SetPanelText(
          count == 1
              ? QStringLiteral("1 Datei übersprungen: dieser Dateityp wird nicht bearbeitet")
              : QStringLiteral("%1 Dateien übersprungen: dieser Dateityp wird nicht bearbeitet").arg(count));
    }
  });
}
