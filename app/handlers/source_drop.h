// SPDX-License-Identifier: GPL-3.0-or-later
// Files and folders dropped onto page 1 ("Quelldateien"), on the source
// list or anywhere else on the page, are opened as arguments of the
// program are (opened_paths.h). While dragging, the cursor tells what a
// drop will do: add (copy cursor), open a job (link cursor), or nothing.
#pragma once

#include <Qt>

#include "run/export_options.h"

class QMimeData;
class TMainForm;

// The action a drop of these data would take; Qt::IgnoreAction when it
// holds no local file.
Qt::DropAction SourceDropAction(const QMimeData* data, const ExportOptions& output = {});

// Makes page 1 and the source list accept drops for the window.
void InstallSourceDrop(TMainForm& form);
