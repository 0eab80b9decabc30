// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"

#include <charconv>
#include <optional>
#include <string_view>

const char kBatchUsage[] =
    "Aufruf: stempora-batch [OPTIONEN] AUFTRAG.stx [QUELLDATEI...]\n"
    "\n"
    "Versieht alle Quelldateien einer Einstellungsdatei (.stx) mit dem Wasserzeichen,\n"
    "genau wie der Knopf \"Wasserzeichen hinzufügen...\" im Fenster, und schreibt sie in\n"
    "das Unterverzeichnis neben jeder Quelldatei. Jede Protokollzeile erscheint auf\n"
    "der Standardausgabe in der Reihenfolge der Liste, sobald sie feststeht.\n"
    "\n"
    "Die Quellpfade bleiben in der Einstellungsdatei so, wie sie gespeichert sind.\n"
    "Ein relativer Quellpfad wird erst beim Lauf geöffnet, und zwar vom Ordner der\n"
    "Einstellungsdatei aus, nicht vom aktuellen Verzeichnis aus.\n"
    "Quelldateien nach der Einstellungsdatei (oder aus --sources-from) ersetzen die\n"
    "Liste des Auftrags; sie werden vom aktuellen Verzeichnis aus geöffnet.\n"
    "\n"
    "Optionen:\n"
    "  --jobs N              höchstens so viele Dateien gleichzeitig bearbeiten (Vorgabe:\n"
    "                        so viele wie Prozessorkerne nutzbar sind); 1 bearbeitet eine\n"
    "                        nach der anderen. Nie mehr als erkannte Quelldateien und\n"
    "                        nur so viele, wie der beim Start freie Arbeitsspeicher Bilder\n"
    "                        von der Größe des größten bisher geladenen fasst; bis das\n"
    "                        erste Bild geladen ist, eine\n"
    "  --sources-from DATEI  Quelldateien aus DATEI lesen, ein Pfad je Zeile, leere\n"
    "                        Zeilen zählen nicht (- liest die Standardeingabe); eine\n"
    "                        Zeile mit Nullzeichen oder über 4095 Bytes lehnt die Liste ab\n"
    "  --out-dir NAME        Name des Unterverzeichnisses statt dem des Auftrags (kein\n"
    "                        absoluter Pfad und ohne \"..\")\n"
    "  --quality N           JPEG-Qualität 1 bis 100 statt der des Auftrags\n"
    "  --keep-jpeg-blocks    JPEG-Quellen nur unter dem Wasserzeichen neu kodieren, alle\n"
    "                        übrigen 8x8-Blöcke unverändert übernehmen (Quantisierung der\n"
    "                        Quelle; die JPEG-Qualität gilt dann nicht)\n"
    "  --mark MARKE          eine weitere Marke nach denen des Auftrags (wiederholbar);\n"
    "                        MARKE: key=value-Paare mit Kommas (\\, ist ein Komma im Wert):\n"
    "                        picture=PFAD oder text=TEXT, position=top-left|top|top-right|\n"
    "                        left|centre|right|bottom-left|bottom|bottom-right|fit|max,\n"
    "                        margin=N|N%, margin-x=, margin-y=, size=N%, transparency=0..100,\n"
    "                        blend=normal|multiply|screen|overlay|soft-light, angle=GRAD,\n"
    "                        tile, tile-gap=N%, keep-alpha, only=all|landscape|portrait;\n"
    "                        für Text: font=FAMILIE, bold, italic, colour=#RRGGBB,\n"
    "                        outline=N, outline-colour=#RRGGBB, shadow, smooth\n"
    "  --no-job-marks        Bild und Text des Auftrags weglassen\n"
    "  --shard K/N           nur die Quelldateien an den Stellen K, K+N, K+2N, ... der\n"
    "                        Liste bearbeiten (1 <= K <= N); die N Teile zusammen\n"
    "                        schreiben genau, was der ganze Auftrag schreibt\n"
    "  --dry-run             nichts laden oder schreiben, nur je Quelldatei eine Zeile\n"
    "                        \"QUELLE -> ZIEL\" ausgeben (übersprungene wie im Protokoll)\n"
    "  --quiet               nur Fehlerzeilen des Protokolls ausgeben\n"
    "  --help                diese Hilfe anzeigen\n"
    "  --version             die Version anzeigen\n"
    "  --                    alles Weitere sind Dateinamen, auch wenn sie mit - beginnen\n"
    "\n"
    "Ausgabe (jede Angabe ersetzt die des Auftrags, ohne sie gilt die des Auftrags):\n"
    "  --max-size N|BxH      vor dem Stempeln verkleinern: lange Kante N Pixel, oder in\n"
    "                        einen Rahmen von B x H Pixeln; nie vergrößern\n"
    "  --sharpen S           nach dem Verkleinern schärfen (Helligkeit, vor dem Stempeln):\n"
    "                        none, low, standard oder high\n"
    "  --format F            same (wie Quelle), jpeg, png, webp, avif, tiff oder jp2; die\n"
    "                        Endung der Zieldatei folgt dem Format\n"
    "  --name MUSTER         Dateiname aus Variablen wie {Datei}, {Datum}, {Kamera}, {Nr}\n"
    "                        und {Nr:4} (0001), {Jahr}, {Monat}, {Tag}, {Stunde}, {Minute},\n"
    "                        {Sekunde} und {Datum:ISO} (2023-06-15); ein / legt Unterordner\n"
    "                        an (nicht am Anfang, kein \"..\"); andere Zeichen, die kein\n"
    "                        Dateiname halten kann, werden zu _, gleiche Namen bekommen\n"
    "                        \" (2)\", \" (3)\", ...\n"
    "  --target ORDNER       alle Zieldateien in ORDNER (auch absolut), die Ordner der\n"
    "                        Quelldateien unter ihrem gemeinsamen Ordner nachgebildet\n"
    "  --if-exists R         vorhandene Zieldatei: replace (ersetzen), skip (überspringen)\n"
    "                        oder rename (neuer Name mit \" (2)\"); nie eine Quelldatei\n"
    "  --metadata M          all (alle behalten), no-gps (ohne GPS-Position und\n"
    "                        Seriennummern) oder none (keine)\n"
    "  --srgb                Farben in sRGB umwandeln und als sRGB kennzeichnen\n"
    "  --max-file-size N     JPEG, WebP und AVIF mit der höchsten Qualität (bis zur\n"
    "                        sonst geltenden) schreiben, deren Datei höchstens N Bytes\n"
    "                        hat; Nk = N x 1000, NM = N x 1000000 Bytes; das Protokoll\n"
    "                        nennt die Qualität\n"
    "  --chroma C            JPEG-Farbunterabtastung 444, 422, 420 oder same (wie die\n"
    "                        JPEG-Quelle; Vorgabe bei \"Qualität wie Quelle\")\n"
    "  --progressive         JPEG progressiv schreiben\n"
    "  --optimize-huffman    JPEG mit für das Bild berechneten Huffman-Tabellen (kleiner)\n"
    "  --webp-lossless       WebP verlustfrei schreiben\n"
    "  --png-level N         PNG-Kompressionsstufe 0 (schnell) bis 9 (klein), sonst 6\n"
    "  --avif-speed N        AVIF-Geschwindigkeit 0 (langsam, klein) bis 10, sonst 6\n"
    "  --include LISTE       auch diese Typen bearbeiten: png,webp,heic,avif\n"
    "\n"
    "Ist die Standardfehlerausgabe ein Terminal, zeigt dort eine Zeile den Fortschritt\n"
    "(\"12/200 Dateien fertig, 6 %\"). Strg+C (SIGINT) oder SIGTERM brechen den Lauf ab:\n"
    "begonnene Dateien werden fertig geschrieben, keine weitere wird begonnen, und das\n"
    "Protokoll endet mit \"Abgebrochen...\".\n"
    "\n"
    "Rückgabewert:\n"
    "  0    alle erkannten Quelldateien wurden geschrieben\n"
    "  1    mindestens eine Quelldatei konnte nicht geladen oder geschrieben werden\n"
    "  2    die Einstellungsdatei oder die Liste der Quelldateien ist nicht lesbar oder\n"
    "       beschädigt, der Lauf wurde abgelehnt, weil Quelldateien überschrieben\n"
    "       würden oder der Name des Unterverzeichnisses oder das Namensmuster mit\n"
    "       \"..\" aus dem Ausgabeordner hinausführt, oder ein unerwarteter Fehler\n"
    "       außerhalb des Laufs (etwa zu wenig Arbeitsspeicher beim Lesen der Liste)\n"
    "       trat auf\n"
    "  130  durch SIGINT abgebrochen\n"
    "  143  durch SIGTERM abgebrochen\n";

namespace {

bool parse_number(std::string_view text, int& number) {
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, number);
  return !text.empty() && error == std::errc() && rest == end;
}

// "K/N" with 1 <= K <= N, stored as the 0-based index K - 1 and the count N.
bool parse_shard(std::string_view text, int& index, int& count) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  int k = 0;
  int n = 0;
  if (!parse_number(text.substr(0, slash), k) || !parse_number(text.substr(slash + 1), n)) return false;
  if (k < 1 || n < k) return false;
  index = k - 1;
  count = n;
  return true;
}

struct ValueOption {
  std::string_view name;
  const char* expects;  // for the error message: "--jobs erwartet <expects>"
};

constexpr ValueOption kValueOptions[] = {
    {"--jobs", "eine Zahl ab 1"},
    {"--sources-from", "eine Datei (- für die Standardeingabe)"},
    {"--out-dir", "den Namen eines Unterverzeichnisses"},
    {"--quality", "eine Zahl von 1 bis 100"},
    {"--shard", "K/N mit 1 <= K <= N"},
};

// The option that takes a value named by argument ("--jobs" or
// "--jobs=4"), or none.
std::optional<ValueOption> value_option(std::string_view argument) {
  const std::string_view name = argument.substr(0, argument.find('='));
  for (const ValueOption& option : kValueOptions)
    if (name == option.name) return option;
  if (IsExportValueFlag(name)) return ValueOption{name, ExportFlagExpects(name)};
  return std::nullopt;
}

// Stores the option's value in line; false when the option does not take it.
bool store_value(std::string_view name, const std::string& value, BatchCommandLine& line) {
  if (name == "--jobs") return parse_number(value, line.jobs) && line.jobs >= 1;
  if (name == "--quality") {
    int quality = 0;
    if (!parse_number(value, quality) || quality < 1 || quality > 100) return false;
    line.quality = quality;
    return true;
  }
  if (name == "--shard") return parse_shard(value, line.shard_index, line.shard_count);
  if (IsExportValueFlag(name)) return StoreExportFlag(name, value, line.output);
  if (name == "--out-dir") {
    // An empty name is taken: the overwrite guard refuses it with its own
    // message, as it does for the job's name. A name starting with "/" is
    // an absolute path on a command line; the run would make it a
    // subfolder like a job's "\Neu", which is not what was meant.
    line.out_dir = value;
    return value.empty() || value.front() != '/';
  }
  line.sources_from = value;
  return !value.empty();
}

}  // namespace

BatchCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments) {
  BatchCommandLine line;
  bool options_done = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool is_option = !options_done && argument.size() > 1 && argument[0] == '-';
    if (!is_option) {
      if (line.job_file.empty())
        line.job_file = argument;
      else
        line.sources.push_back(argument);
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      line.show_help = true;
      return line;
    }
    if (argument == "--version") {
      line.show_version = true;
      return line;
    }
    if (argument == "--") {
      options_done = true;
    } else if (argument == "--dry-run") {
      line.dry_run = true;
    } else if (argument == "--quiet") {
      line.quiet = true;
    } else if (argument == "--srgb") {
      line.output.convert_to_srgb = true;
    } else if (argument == "--progressive") {
      line.output.progressive = true;
    } else if (argument == "--optimize-huffman") {
      line.output.optimize_huffman = true;
    } else if (argument == "--webp-lossless") {
      line.output.webp_lossless = true;
    } else if (argument == "--keep-jpeg-blocks") {
      line.keep_jpeg_blocks = true;
    } else if (argument == "--no-job-marks") {
      line.no_job_marks = true;
    } else if (argument == "--mark" || argument.rfind("--mark=", 0) == 0) {
      std::string given;
      if (argument.size() > 6) {
        given = argument.substr(7);
      } else if (i + 1 < arguments.size()) {
        given = arguments[++i];
      } else {
        line.error = "--mark erwartet key=value-Paare, durch Kommas getrennt";
        return line;
      }
      MarkOptionRead read = ParseMarkOption(given);
      if (!read.error.empty()) {
        line.error = std::move(read.error);
        return line;
      }
      line.marks.push_back(std::move(read.given));
    } else if (const std::optional<ValueOption> option = value_option(argument)) {
      std::string value;
      if (argument.size() > option->name.size()) {
        value = argument.substr(option->name.size() + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        line.error = std::string(option->name) + " erwartet " + option->expects;
        return line;
      }
      if (!store_value(option->name, value, line)) {
        line.error = std::string(option->name) + " erwartet " + option->expects + ", nicht \"" + value + "\"";
        return line;
      }
    } else {
      line.error = "Unbekannte Option " + argument;
      return line;
    }
  }
  if (line.job_file.empty()) {
    line.error = "Keine Einstellungsdatei angegeben";
  } else if (line.sources_from && !line.sources.empty()) {
    line.error =
        "Quelldateien entweder nach der Einstellungsdatei oder mit --sources-from angeben, nicht beides";
  }
  return line;
}
