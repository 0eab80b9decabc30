// SPDX-License-Identifier: GPL-3.0-or-later
// Files handed to the window from outside it, as arguments of `stempora`
// or dropped onto the source page: a job file opens as "Einstellungen
// Öffnen..." would, pictures are added as "Hinzufügen..." would, and a
// folder adds its pictures.
#pragma once

#include <QString>
#include <QStringList>

#include "run/export_options.h"

class TMainForm;

struct OpenedPaths {
  // The last job file (".stx") among the paths; empty when there is none.
  QString settings_file;
  // Full paths to append to the source list, in order.
  QStringList sources;
  // Full paths of files whose type the run does not stamp: not added.
  QStringList skipped;

  bool empty() const { return settings_file.isEmpty() && sources.isEmpty() && skipped.isEmpty(); }
};

// Sorts paths into the job file to open, the sources to add and the files
// the run would pass over. Every path is made absolute, as the list holds
// full paths. A folder stands for its files whose extension the run
// handles, sorted by name, without looking into subfolders; a file is
// added when its extension is one the run handles, as the source dialog
// offers only those (the further types too when output takes them).
// Whether a file exists is not checked.
OpenedPaths SortOpenedPaths(const QStringList& paths, const ExportOptions& output = {});

// Opens the job first, then appends the sources: opening a job replaces
// the whole list, which would otherwise drop the pictures just given. Each
// file passed over gets the run's line for it in the log, and the status
// bar says how many there were. Runs as a handler: an error is shown and
// the program goes on. Does nothing while a batch run goes on.
void OpenPathsInForm(TMainForm& form, const OpenedPaths& opened);

// Whether the run stamps a file of this name (its extension) under output.
bool RunStampsFile(const QString& path, const ExportOptions& output = {});
