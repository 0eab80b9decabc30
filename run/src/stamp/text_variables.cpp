// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing the text watermark's variables; a pure function of the text
// and the source's facts, so the run and a preview give the same text.
#include "run/text_variables.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace {

std::string two_digits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string shown_date(const ShownTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.day, t.month, t.year);
  return text;
}

// A file or folder name as one line of the watermark.
std::string single_line(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

// The value of a variable name, or nothing when the name is none.
std::optional<std::string> variable_value(std::string_view name, const SourceFacts& facts) {
  const std::filesystem::path path(facts.path);
  if (name == "Datei") return single_line(path.stem().string());
  if (name == "Dateiname") return single_line(path.filename().string());
  if (name == "Ordner") return single_line(path.parent_path().filename().string());
  if (name == "Datum") return facts.taken ? shown_date(*facts.taken) : std::string();
  if (name == "Uhrzeit")
    return facts.taken ? two_digits(facts.taken->hour) + ":" + two_digits(facts.taken->minute)
                       : std::string();
  if (name == "Jahr") return facts.taken ? std::to_string(facts.taken->year) : std::string();
  if (name == "Breite") return std::to_string(facts.width);
  if (name == "Hoehe") return std::to_string(facts.height);
  if (name == "Kamera") return facts.camera;
  if (name == "Nr") return std::to_string(facts.number);
  return std::nullopt;
}

}  // namespace

std::string ReplaceTextVariables(const std::string& text, const SourceFacts& facts) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
      out += c;
      i += 2;
      continue;
    }
    if (c != '{') {
      out += c;
      ++i;
      continue;
    }
    // A name runs to the next closing brace within the line; another
    // opening brace starts over, so "{a {Datei}" still replaces {Datei}.
    size_t end = i + 1;
    while (end < text.size() && text[end] != '}' && text[end] != '{' && text[end] != '\r' &&
           text[end] != '\n')
      ++end;
    if (end < text.size() && text[end] == '}') {
      const std::string_view name(text.data() + i + 1, end - i - 1);
      if (std::optional<std::string> value = variable_value(name, facts)) {
        out += *value;
        i = end + 1;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

bool TextNeedsCaptureFacts(const std::string& text) {
  for (const char* name : {"{Datum}", "{Uhrzeit}", "{Jahr}", "{Kamera}"})
    if (text.find(name) != std::string::npos) return true;
  return false;
}

std::string CameraName(const std::string& make, const std::string& model) {
  if (make.empty()) return model;
  if (model.empty()) return make;
  if (model.size() >= make.size()) {
    bool starts_with_make = true;
    for (size_t i = 0; i < make.size() && starts_with_make; ++i) {
      const auto lower = [](char ch) { return (ch >= 'A' && ch <= 'Z') ? char(ch - 'A' + 'a') : ch; };
      starts_with_make = lower(model[i]) == lower(make[i]);
    }
    if (starts_with_make) return model;
  }
  return make + " " + model;
}
