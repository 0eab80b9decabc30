// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line: files to open, and the options a
// user tries first.
#pragma once

#include <QStringList>

struct WindowArguments {
  bool show_help = false;
  bool show_version = false;
  QString unknown_option;  // the first option neither this program nor Qt knows
  QStringList paths;       // in the order given
};

// "--help" and "-h" ask for the help text, "--version" for the version;
// "--" makes every later argument a path, so a file whose name starts with
// a dash can still be opened. Qt's own options (-platform NAME, -style
// NAME, ...) are passed over with their values, as Qt takes them out of
// the arguments itself. Any other argument starting with a dash is an
// unknown option, not a file to open; everything else is a path.
WindowArguments ParseWindowArguments(const QStringList& arguments);

extern const char kWindowUsage[];
