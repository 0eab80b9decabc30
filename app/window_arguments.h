// The window program's command line: files to open, and the one option a
// user tries first.
#pragma once

#include <QStringList>

struct WindowArguments {
  bool show_help = false;
  QStringList paths;  // in the order given
};

// "--help" and "-h" ask for the help text; "--" makes every later argument
// a path, so a file whose name starts with a dash can still be opened.
// Everything else is a path.
WindowArguments ParseWindowArguments(const QStringList& arguments);

extern const char kWindowUsage[];
