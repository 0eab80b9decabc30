#include "command_line.h"

#include <charconv>

const char kBatchUsage[] =
    "Aufruf: stempora-batch [--jobs N] AUFTRAG.stx\n"
    "\n"
    "Versieht alle Quelldateien einer Einstellungsdatei (.stx) mit dem Wasserzeichen,\n"
    "genau wie der Knopf \"Wasserzeichen hinzufügen...\" im Fenster, und schreibt sie in\n"
    "das Unterverzeichnis neben jeder Quelldatei. Jede Protokollzeile erscheint auf\n"
    "der Standardausgabe, sobald sie entsteht.\n"
    "\n"
    "Die Quellpfade bleiben in der Einstellungsdatei so, wie sie gespeichert sind.\n"
    "Ein relativer Quellpfad wird erst beim Lauf geöffnet, und zwar vom Ordner der\n"
    "Einstellungsdatei aus, nicht vom aktuellen Verzeichnis aus.\n"
    "\n"
    "Optionen:\n"
    "  --jobs N    Anzahl gleichzeitig bearbeiteter Dateien (zur Zeit ohne Wirkung)\n"
    "  --help      diese Hilfe anzeigen\n"
    "\n"
    "Rückgabewert:\n"
    "  0  alle erkannten Quelldateien wurden geschrieben\n"
    "  1  mindestens eine Quelldatei konnte nicht geladen oder geschrieben werden\n"
    "  2  die Einstellungsdatei ist nicht lesbar oder beschädigt, oder der Lauf wurde\n"
    "     abgelehnt, weil Quelldateien überschrieben würden\n";

namespace {

bool parse_jobs(const std::string& text, int& jobs) {
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, jobs);
  return error == std::errc() && rest == end && jobs >= 1;
}

}  // namespace

BatchCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments) {
  BatchCommandLine line;
  bool options_done = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!options_done && (argument == "--help" || argument == "-h")) {
      line.show_help = true;
      return line;
    }
    if (!options_done && argument == "--") {
      options_done = true;
    } else if (!options_done && (argument == "--jobs" || argument.rfind("--jobs=", 0) == 0)) {
      std::string value;
      if (argument == "--jobs") {
        if (i + 1 >= arguments.size()) {
          line.error = "--jobs erwartet eine Zahl";
          return line;
        }
        value = arguments[++i];
      } else {
        value = argument.substr(7);
      }
      if (!parse_jobs(value, line.jobs)) {
        line.error = "--jobs erwartet eine Zahl ab 1, nicht \"" + value + "\"";
        return line;
      }
    } else if (!options_done && argument.size() > 1 && argument[0] == '-') {
      line.error = "Unbekannte Option " + argument;
      return line;
    } else if (line.job_file.empty()) {
      line.job_file = argument;
    } else {
      line.error = "Nur eine Einstellungsdatei erwartet";
      return line;
    }
  }
  if (line.job_file.empty()) line.error = "Keine Einstellungsdatei angegeben";
  return line;
}
