#include "run/log_text.h"

#include "pixkit/pixkit.h"

namespace {

// Texts both directions share; the ones that read differently for a load
// and a save are chosen by the callers below.
const char* common_failure_text(int reason) {
  switch (reason) {
    case PIXKIT_REASON_NO_PERMISSION:
      return "Keine Berechtigung";
    case PIXKIT_REASON_NOT_REGULAR:
      return "keine reguläre Datei";
    case PIXKIT_REASON_UNKNOWN_FORMAT:
      return "Dateiformat nicht erkannt";
    case PIXKIT_REASON_DAMAGED:
      return "Daten beschädigt";
    case PIXKIT_REASON_TOO_LARGE:
      return "Bild zu groß";
    case PIXKIT_REASON_DISK_FULL:
      return "Datenträger voll";
    case PIXKIT_REASON_NAME_TOO_LONG:
      return "Name zu lang";
    case PIXKIT_REASON_IO_ERROR:
      return "Ein-/Ausgabefehler";
    case PIXKIT_REASON_CHANGED:
      return "Datei wurde beim Lesen verändert";
    case PIXKIT_REASON_NO_PICTURE:
      return "kein Bild";
    case PIXKIT_REASON_ENCODER:
      return "Bild konnte nicht kodiert werden";
    default:
      return "unbekannter Fehler";
  }
}

}  // namespace

std::string LogPathText(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      text += c;
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\t') {
      text += "\\t";
    } else {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    }
  }
  return text;
}

std::string LoadFailureText(int reason) {
  return reason == PIXKIT_REASON_NOT_FOUND ? "Datei nicht gefunden" : common_failure_text(reason);
}

std::string SaveFailureText(int reason) {
  // A save fails as "not found" only when a folder of the output path is
  // missing (or is a file).
  return reason == PIXKIT_REASON_NOT_FOUND ? "Ordner nicht gefunden" : common_failure_text(reason);
}
