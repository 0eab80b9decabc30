#include "source_list.h"

#include <cstdio>

namespace {

bool read_all(std::FILE* file, std::string& text) {
  char buffer[1 << 16];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  return std::ferror(file) == 0;
}

std::string cannot_open(const std::string& path) {
  return "Die Datei " + path + " konnte nicht geöffnet werden.";
}

}  // namespace

SourceListRead SplitSourceList(const std::string& text, const std::string& path) {
  SourceListRead read;
  size_t start = 0;
  for (int line_number = 1; start < text.size(); ++line_number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.find('\0') != std::string::npos) {
      read.sources.clear();
      read.error = "Die Datei " + path + " enthält in Zeile " + std::to_string(line_number) +
                   " ein Nullzeichen und wurde nicht verwendet.";
      return read;
    }
    read.sources.push_back(std::move(line));
  }
  return read;
}

SourceListRead ReadSourceList(const std::string& path) {
  std::string text;
  if (path == "-") {
    if (!read_all(stdin, text)) return SourceListRead{{}, cannot_open("(Standardeingabe)")};
    return SplitSourceList(text, "(Standardeingabe)");
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return SourceListRead{{}, cannot_open(path)};
  const bool ok = read_all(file, text);
  std::fclose(file);
  if (!ok) return SourceListRead{{}, cannot_open(path)};
  return SplitSourceList(text, path);
}
