// SPDX-License-Identifier: GPL-3.0-or-later
// Files handed to the window from outside it, as arguments of `stempora`
// or dropped onto the source page: a job file opens as "Einstellungen
// Öffnen..." would, pictures are added as "Hinzufügen..." would, and a
// folder adds its pictures.
#pragma once

#include <QString>
#include <QStringList>

class TMainForm;

struct OpenedPaths {
  // The last job file (".stx") among the paths; empty when there is none.
  QString settings_file;
  // Full paths to append to the source list, in order.
  QStringList sources;

  bool empty() const { return settings_file.isEmpty() && sources.isEmpty(); }
};

// Sorts paths into the job file to open and the sources to add. Every path
// is made absolute, as the list holds full paths. A folder stands for its
// files whose extension the run handles, sorted by name, without looking
// into subfolders; any other path is added unchecked, as the source dialog
// does (the run passes over what it cannot handle).
OpenedPaths SortOpenedPaths(const QStringList& paths);

// Opens the job first, then appends the sources: opening a job replaces
// the whole list, which would otherwise drop the pictures just given.
// Runs as a handler: an error is shown and the program goes on. Does
// nothing while a batch run goes on.
void OpenPathsInForm(TMainForm& form, const OpenedPaths& opened);
