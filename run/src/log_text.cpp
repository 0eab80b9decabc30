// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/log_text.h"

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

std::string LoadedText(const std::string& shown_path) { return shown_path + " geladen..."; }

std::string WrittenText(const std::string& shown_path) { return shown_path + " geschrieben..."; }

std::string WrittenText(const std::string& shown_path, int quality) {
  return WrittenText(shown_path) + " (Qualität " + std::to_string(quality) + ")";
}

std::string OverFileSizeText(const std::string& shown_path, int64_t cap) {
  return shown_path + ": auch mit Qualität 1 größer als " + std::to_string(cap) + " Bytes";
}

std::string ExistingOutputSkippedText(const std::string& shown_path) {
  return shown_path + " vorhanden, übersprungen";
}

std::string KeptJpegBlocksOffText() {
  return "JPEG: unveränderte Blöcke nicht übernommen, da Größe, Format, Farbe oder Metadaten geändert werden";
}

std::string UnusableProfileText(const std::string& shown_path) {
  return shown_path + ": Farbprofil unbrauchbar, Farben als sRGB geschrieben";
}

std::string RunEndText(bool cancelled) { return cancelled ? "Abgebrochen..." : "Fertig..."; }
