// SPDX-License-Identifier: GPL-3.0-or-later
#include "source_list.h"

#include <climits>
#include <cstdio>

namespace {

std::string cannot_open(const std::string& path) {
  return "Die Datei " + path + " konnte nicht geöffnet werden.";
}

// The list is taken apart while it is read, so a file that never ends
// (/dev/zero, a pipe that keeps writing) is refused at its first bad line
// instead of being held whole in memory first.
class SourceListSplitter {
 public:
  explicit SourceListSplitter(const std::string& path) : path_(path) {}

  // False once the list is refused; read.error says why.
  bool take(const char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const char c = bytes[i];
      if (c == '\n') {
        end_line();
      } else if (c == '\0') {
        return refuse(" ein Nullzeichen");
      } else {
        line_ += c;
        // One byte more for the CR of a CR LF line end.
        if (line_.size() > kMaxPathBytes + 1) return refuse(too_long());
      }
    }
    return true;
  }

  // The last line, which may lack its line end.
  bool finish() {
    if (!line_.empty()) end_line();
    return read_.error.empty();
  }

  SourceListRead& read() { return read_; }

 private:
  // A path the system can open is shorter than PATH_MAX, which counts the
  // terminating NUL.
  static constexpr size_t kMaxPathBytes = PATH_MAX - 1;

  void end_line() {
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    if (line_.size() > kMaxPathBytes) {
      refuse(too_long());
      return;
    }
    if (!line_.empty()) read_.sources.push_back(std::move(line_));
    line_.clear();
    ++line_number_;
  }

  static std::string too_long() {
    return " einen Pfad mit mehr als " + std::to_string(kMaxPathBytes) + " Bytes";
  }

  bool refuse(const std::string& what) {
    read_.sources.clear();
    read_.error = "Die Datei " + path_ + " enthält in Zeile " + std::to_string(line_number_) + what +
                  " und wurde nicht verwendet.";
    return false;
  }

  std::string path_;
  SourceListRead read_;
  std::string line_;
  size_t line_number_ = 1;
};

SourceListRead read_list(std::FILE* file, const std::string& shown_path) {
  SourceListSplitter splitter(shown_path);
  char buffer[1 << 16];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    if (!splitter.take(buffer, count)) return std::move(splitter.read());
  if (std::ferror(file) != 0) return SourceListRead{{}, cannot_open(shown_path)};
  splitter.finish();
  return std::move(splitter.read());
}

}  // namespace

SourceListRead ReadSourceList(const std::string& path) {
  if (path == "-") return read_list(stdin, "(Standardeingabe)");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return SourceListRead{{}, cannot_open(path)};
  SourceListRead read = read_list(file, path);
  std::fclose(file);
  return read;
}
