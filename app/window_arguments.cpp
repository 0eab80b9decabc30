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
    "  --          alles Folgende ist eine Datei\n"
    "\n"
    "Ohne Fenster arbeitet stempora-batch (siehe stempora-batch --help).\n";

WindowArguments ParseWindowArguments(const QStringList& arguments) {
  WindowArguments result;
  bool options_done = false;
  for (const QString& argument : arguments) {
    if (!options_done && argument == QStringLiteral("--")) {
      options_done = true;
    } else if (!options_done && (argument == QStringLiteral("--help") || argument == QStringLiteral("-h"))) {
      result.show_help = true;
    } else {
      result.paths.append(argument);
    }
  }
  return result;
}
