// SPDX-License-Identifier: GPL-3.0-or-later
// The memo's text split into lines, and the lines the text pass draws.
#include "run/text_lines.h"

namespace {

constexpr size_t kMaxLineCharacters = 4096;

// The line cut after kMaxLineCharacters characters (UTF-8 code points), never
// inside a character's bytes.
std::string cut_line(const std::string& line) {
  size_t characters = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const bool starts_character = (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
    if (starts_character && characters++ == kMaxLineCharacters) return line.substr(0, i);
  }
  return line;
}

}  // namespace

std::vector<std::string> MemoTextLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      // CR LF is one break; a lone CR or LF is one too.
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  // What follows the last break is a line only when it is not empty: a text
  // ending in a break has no empty last line.
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string MemoTextFromLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  // A last empty line needs its own break to stay a line.
  if (!lines.empty() && lines.back().empty()) text += '\n';
  return text;
}

std::vector<std::string> MemoLines(const std::string& text) {
  std::vector<std::string> lines = MemoTextLines(text);
  for (std::string& line : lines) line = cut_line(line);
  return lines;
}
