// The memo's text split into the lines the memo reports.
#include <string>
#include <vector>

#include "run/stamp_text.h"

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

std::vector<std::string> MemoLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(cut_line(text.substr(start, i - start)));
      // CR LF is one break; a lone CR or LF is one too.
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  // What follows the last break is a line only when it is not empty: a text
  // ending in a break has no empty last line.
  if (start < text.size()) lines.push_back(cut_line(text.substr(start)));
  return lines;
}
