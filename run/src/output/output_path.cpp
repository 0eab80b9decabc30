// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/output_path.h"

#include <algorithm>

const char* const SourceExtensions[kSourceExtensionCount] = {
    ".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg", ".lbm", ".pcx", ".rle", ".tga", ".tif", ".jp2",
};

namespace {

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool same_ignoring_case(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

std::string OpenedSourcePath(const std::string& source, const std::string& sources_folder) {
  if (source.empty() || source.front() == '/' || sources_folder.empty()) return source;
  if (sources_folder.back() == '/') return sources_folder + source;
  return sources_folder + "/" + source;
}

std::string FileNamePart(const std::string& source) {
  const size_t slash = source.rfind('/');
  return slash == std::string::npos ? source : source.substr(slash + 1);
}

int SourceExtensionRow(const std::string& source) {
  // The extension belongs to the file name: a dot in a folder name does
  // not count.
  const std::string name = FileNamePart(source);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return 0;
  const std::string extension = name.substr(dot);
  for (int row = 1; row <= kSourceExtensionCount; ++row) {
    if (same_ignoring_case(extension, SourceExtensions[row - 1])) return row;
  }
  // The longer spellings of two extensions in the table: same formats,
  // and the file keeps its name.
  if (same_ignoring_case(extension, ".jpeg")) return kJpegRow;
  if (same_ignoring_case(extension, ".tiff")) return kTiffRow;
  return 0;
}

std::string SourceFolder(const std::string& source) {
  const size_t slash = source.rfind('/');
  return slash == std::string::npos ? std::string() : source.substr(0, slash + 1);
}

std::string OutputFolder(const std::string& source, const std::string& out_dir) {
  // A bare file name lives in the current folder; naming it "./" keeps an
  // empty or absolute-looking subfolder name beside the source instead of
  // turning it into the root folder.
  std::string folder = SourceFolder(source);
  if (folder.empty()) folder = "./";
  // The name is a subfolder whatever separators it starts or ends with;
  // a run of separators is one, so no path shows a doubled "/".
  for (const char c : out_dir) {
    const bool separator = c == '/' || c == '\\';
    if (!separator) {
      folder += c;
    } else if (folder.back() != '/') {
      folder += '/';
    }
  }
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string OutputPath(const std::string& source, const std::string& out_dir) {
  return OutputFolder(source, out_dir) + FileNamePart(source);
}

bool OutDirLeavesSourceFolder(const std::string& out_dir) {
  size_t start = 0;
  while (start <= out_dir.size()) {
    size_t end = out_dir.find_first_of("/\\", start);
    if (end == std::string::npos) end = out_dir.size();
    if (out_dir.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}
