// SPDX-License-Identifier: GPL-3.0-or-later
#include "handlers/opened_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "handlers/handler_guard.h"
#include "main_form.h"
#include "run/output_path.h"

namespace {

bool IsSettingsFile(const QFileInfo& info) {
  return info.suffix().compare(QString::fromUtf8(kSettingsFileSuffix), Qt::CaseInsensitive) == 0;
}

bool RunHandles(const QString& path) {
  return SourceExtensionRow(QFile::encodeName(path).toStdString()) != 0;
}

// The folder's files that the run would stamp, by name; hidden files and
// subfolders stay out.
QStringList HandledFilesInFolder(const QString& folder) {
  QStringList files;
  const QDir dir(folder);
  for (const QFileInfo& entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
    if (RunHandles(entry.fileName())) files.append(entry.absoluteFilePath());
  }
  return files;
}

}  // namespace

OpenedPaths SortOpenedPaths(const QStringList& paths) {
  OpenedPaths opened;
  for (const QString& path : paths) {
    if (path.isEmpty()) continue;
    const QFileInfo info(path);
    if (info.isDir())
      opened.sources.append(HandledFilesInFolder(info.absoluteFilePath()));
    else if (IsSettingsFile(info))
      opened.settings_file = info.absoluteFilePath();
    else
      opened.sources.append(info.absoluteFilePath());
  }
  return opened;
}

void OpenPathsInForm(TMainForm& form, const OpenedPaths& opened) {
  // The list and the settings hold still while a run goes on.
  if (form.RunGoing()) return;
  RunGuarded(&form, [&] {
    if (!opened.settings_file.isEmpty()) form.OpenSettingsFile(opened.settings_file);
    for (const QString& path : opened.sources) AppendSourceEntry(form.sources.ListBox1, path);
  });
}
