// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/failure_text.h"

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

std::string LoadFailureText(int reason) {
  return reason == PIXKIT_REASON_NOT_FOUND ? "Datei nicht gefunden" : common_failure_text(reason);
}

std::string SaveFailureText(int reason) {
  // A save fails as "not found" only when a folder of the output path is
  // missing (or is a file).
  return reason == PIXKIT_REASON_NOT_FOUND ? "Ordner nicht gefunden" : common_failure_text(reason);
}

std::string LoadFailedText(const std::string& shown_path) {
  return "Die Datei " + shown_path + " konnte nicht geladen werden!";
}

std::string LoadFailedText(const std::string& shown_path, int reason) {
  return LoadFailedText(shown_path) + " (" + LoadFailureText(reason) + ")";
}

std::string SaveFailedText(const std::string& shown_path, int reason) {
  return SaveFailedText(shown_path, SaveFailureText(reason));
}

std::string SaveFailedText(const std::string& shown_path, const std::string& reason) {
  return "Die Datei " + shown_path + " konnte nicht geschrieben werden! (" + reason + ")";
}

std::string LinkedFolderText(const std::string& shown_level) {
  return "Ordner " + shown_level + " ist ein symbolischer Link";
}

std::string SkippedTypeText(const std::string& shown_path) {
  return shown_path + " übersprungen: dieser Dateityp wird nicht bearbeitet";
}

std::string ErrorText(const std::string& failure) { return "Fehler: " + failure; }

std::string OutOfMemoryText() { return "Nicht genügend Arbeitsspeicher"; }

std::string UnknownFailureText() { return "Unbekannter Fehler"; }

std::string AbortReasonText(const BatchOutcome& outcome) {
  if (outcome.out_of_memory) return OutOfMemoryText();
  if (outcome.abort_reason.empty()) return UnknownFailureText();
  return outcome.abort_reason;
}
