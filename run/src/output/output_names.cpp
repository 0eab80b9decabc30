// SPDX-License-Identifier: GPL-3.0-or-later
// Output names: a pure function of the pattern and the source's facts, so
// every worker and every shard names a source alike.
#include "run/output_names.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "run/output_path.h"
#include "run/output_save.h"

namespace {

std::string_view stem_of(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

// "{Nr:4}" at text[at]: the width 1..9, or 0 when it is no such variable.
int padded_number_width(std::string_view text, size_t at) {
  constexpr std::string_view kOpen = "{Nr:";
  if (text.substr(at, kOpen.size()) != kOpen) return 0;
  const size_t digit = at + kOpen.size();
  if (digit + 1 >= text.size() || text[digit + 1] != '}') return 0;
  const char c = text[digit];
  return (c >= '1' && c <= '9') ? c - '0' : 0;
}

// The date and time variables only names know: "{Jahr}" (also a text
// watermark variable, same value), "{Monat}", "{Tag}", "{Stunde}",
// "{Minute}", "{Sekunde}" and "{Datum:ISO}". The watermark's text keeps
// writing the others as they stand, so a text that holds one of them
// still stamps what it always did. Returns the variable's length at
// text[at], 0 when none starts there; value is empty without a time.
size_t date_variable(std::string_view text, size_t at, const SourceFacts& facts, std::string& value) {
  struct Row {
    std::string_view name;
    int ShownTime::*field;
    int width;
  };
  static constexpr Row kRows[] = {
      {"{Jahr}", &ShownTime::year, 4},     {"{Monat}", &ShownTime::month, 2},
      {"{Tag}", &ShownTime::day, 2},       {"{Stunde}", &ShownTime::hour, 2},
      {"{Minute}", &ShownTime::minute, 2}, {"{Sekunde}", &ShownTime::second, 2},
  };
  value.clear();
  char digits[32];
  constexpr std::string_view kIsoDate = "{Datum:ISO}";
  if (text.substr(at, kIsoDate.size()) == kIsoDate) {
    if (facts.taken) {
      std::snprintf(digits, sizeof digits, "%04d-%02d-%02d", facts.taken->year, facts.taken->month,
                    facts.taken->day);
      value = digits;
    }
    return kIsoDate.size();
  }
  for (const Row& row : kRows) {
    if (text.substr(at, row.name.size()) != row.name) continue;
    if (facts.taken) {
      std::snprintf(digits, sizeof digits, "%0*d", row.width, (*facts.taken).*row.field);
      value = digits;
    }
    return row.name.size();
  }
  return 0;
}

// The pattern's levels between "/": all but the last are folders.
std::vector<std::string_view> pattern_levels(std::string_view pattern) {
  std::vector<std::string_view> levels;
  size_t start = 0;
  while (true) {
    const size_t slash = pattern.find('/', start);
    levels.push_back(pattern.substr(start, slash == std::string_view::npos ? slash : slash - start));
    if (slash == std::string_view::npos) return levels;
    start = slash + 1;
  }
}

}  // namespace

std::string FileNameSafe(const std::string& name) {
  std::string safe = name;
  for (char& c : safe) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
      c = '_';
  }
  if (safe.empty()) return "_";
  if (safe == "." || safe == "..") return std::string(safe.size(), '_');
  return safe;
}

bool NamePatternNeedsCaptureFacts(const std::string& pattern) {
  if (TextNeedsCaptureFacts(pattern)) return true;
  for (const char* name : {"{Monat}", "{Tag}", "{Stunde}", "{Minute}", "{Sekunde}", "{Datum:ISO}"})
    if (pattern.find(name) != std::string::npos) return true;
  return false;
}

bool NamePatternLeavesOutputFolder(const std::string& pattern) {
  if (!pattern.empty() && pattern.front() == '/') return true;
  for (const std::string_view level : pattern_levels(pattern))
    if (level == "..") return true;
  return false;
}

std::string NameFromPattern(const std::string& pattern, const SourceFacts& facts) {
  // The padded numbers and the picture's size are settled here; escaped
  // braces pass through untouched for the text variables to turn into one.
  std::string text;
  text.reserve(pattern.size());
  const std::string_view view(pattern);
  size_t i = 0;
  std::string date;
  while (i < view.size()) {
    if (view.substr(i, 2) == "{{" || view.substr(i, 2) == "}}") {
      text += view.substr(i, 2);
      i += 2;
    } else if (const size_t length = date_variable(view, i, facts, date)) {
      text += date;
      i += length;
    } else if (const int width = padded_number_width(view, i)) {
      char digits[32];
      std::snprintf(digits, sizeof digits, "%0*lld", width, static_cast<long long>(facts.number));
      text += digits;
      i += 6;  // "{Nr:N}"
    } else if (view.substr(i, 8) == "{Breite}" || view.substr(i, 7) == "{Hoehe}") {
      const size_t length = view[i + 1] == 'B' ? 8 : 7;
      text += "{";
      text += view.substr(i, length);
      text += "}";
      i += length;
    } else {
      text += view[i++];
    }
  }
  return FileNameSafe(ReplaceTextVariables(text, facts));
}

std::string OutputFileName(const std::string& source, const ExportOptions& output, const SourceFacts& facts) {
  const std::string name = FileNamePart(source);
  if (output.name_pattern.empty() && output.format == ExportFormat::kSameAsSource) return name;
  if (output.name_pattern.empty()) return std::string(stem_of(name)) + OutputExtension(output.format, source);
  const std::string extension = OutputExtension(output.format, source);
  // Each folder level is cut like a name, with no extension to keep room
  // for; a run of "/" is one, as in the subfolder name.
  std::string folders;
  const std::vector<std::string_view> levels = pattern_levels(output.name_pattern);
  for (size_t i = 0; i + 1 < levels.size(); ++i) {
    if (levels[i].empty()) continue;
    folders += FittedStem(NameFromPattern(std::string(levels[i]), facts), 0) + "/";
  }
  return folders + FittedStem(NameFromPattern(std::string(levels.back()), facts), extension.size()) +
         extension;
}

std::string FittedStem(const std::string& stem, size_t extension_bytes) {
  const size_t room = kMaxFileNameBytes - std::min(kMaxFileNameBytes, extension_bytes + kNumberSuffixRoom);
  if (stem.size() <= room) return stem;
  // Cut before a UTF-8 continuation byte never: the name stays whole
  // characters.
  size_t end = room;
  while (end > 0 && (static_cast<unsigned char>(stem[end]) & 0xC0) == 0x80) --end;
  return stem.substr(0, end);
}

std::string NumberedFileName(const std::string& name, int64_t n) {
  if (n < 2) return name;
  const size_t dot = name.rfind('.');
  const std::string suffix = " (" + std::to_string(n) + ")";
  if (dot == std::string::npos || dot == 0) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}
