// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_arguments.h"

const char kWindowUsage[] =
    "Aufruf: stempora [--] [DATEI ...]\n"
    "\n"
    "Öffnet das Fenster von Stempora. Eine Einstellungsdatei (.stx) wird geöffnet wie\n"
    "mit \"Einstellungen Öffnen...\" (bei mehreren die letzte); Bilder kommen in der\n"
    "angegebenen Reihenfolge in die Liste der Quelldateien, ein Ordner mit seinen\n"
    "Bildern, nach Namen sortiert.\n"
    "\n"
    "Optionen:\n"
    "  --help, -h  diese Hilfe anzeigen\n"
    "  --version   die Version anzeigen\n"
    "  --          alles Folgende ist eine Datei\n"
    "\n"
    "Ohne Fenster arbeitet stempora-batch (siehe stempora-batch --help).\n";

namespace {

// The options QGuiApplication and QApplication take out of the arguments
// (with one dash or two), so they are not taken for unknown ones before Qt
// has seen them.
// clang-format off
constexpr const char* kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "session", "display", "geometry", "title", "icon", "name", "style", "stylesheet"};
// clang-format on
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
constexpr const char* kQtOptionsWithEquals[] = {"style=", "stylesheet=", "qmljsdebugger="};

// How many arguments from `argument` on are one of Qt's options: 0 for
// none, 1 for a flag or "-style=NAME", 2 for an option and its value.
int QtOptionLength(const QString& argument) {
  QString name = argument.mid(1);
  if (name.startsWith(QLatin1Char('-'))) name.remove(0, 1);
  for (const char* option : kQtOptionsWithValue)
    if (name == QLatin1String(option)) return 2;
  for (const char* option : kQtFlags)
    if (name == QLatin1String(option)) return 1;
  for (const char* option : kQtOptionsWithEquals)
    if (name.startsWith(QLatin1String(option))) return 1;
  return 0;
}

}  // namespace

WindowArguments ParseWindowArguments(const QStringList& arguments) {
  WindowArguments result;
  bool options_done = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    const bool is_option = !options_done && argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
    if (!is_option) {
      result.paths.append(argument);
    } else if (argument == QStringLiteral("--")) {
      options_done = true;
    } else if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
      result.show_help = true;
    } else if (argument == QStringLiteral("--version")) {
      result.show_version = true;
    } else if (const int length = QtOptionLength(argument); length > 0) {
      i += length - 1;
    } else if (result.unknown_option.isEmpty()) {
      result.unknown_option = argument;
    }
  }
  return result;
}
