// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

std::string_view TrimProfileBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool SameProfileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

namespace {

std::string_view trim(std::string_view text) { return TrimProfileBlanks(text); }
bool same_name(std::string_view a, std::string_view b) { return SameProfileName(a, b); }

// "[name]" gives name; the closing bracket may be missing, as the platform
// allows.
std::optional<std::string_view> section_name(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  const size_t close = line.find(']');
  return trim(line.substr(0, close));
}

// A key line is "name = value" outside a comment; name must not be empty.
struct KeyLine {
  std::string_view name;
  std::string_view value;
};

std::optional<KeyLine> key_line(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() == ';' || line.front() == '[') return std::nullopt;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view name = trim(line.substr(0, equals));
  if (name.empty()) return std::nullopt;
  return KeyLine{name, trim(line.substr(equals + 1))};
}

std::string_view without_quotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

bool is_blank(const std::string& line) { return trim(line).empty(); }

}  // namespace

ProfileFile ProfileFile::FromText(std::string_view text) {
  ProfileFile profile;
  const size_t first_break = text.find('\n');
  if (first_break != std::string_view::npos && first_break > 0 && text[first_break - 1] == '\r')
    profile.line_end_ = "\r\n";
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    profile.lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return profile;
}

std::optional<size_t> ProfileFile::FindSection(std::string_view section) const {
  const std::string_view wanted = trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = section_name(lines_[i]);
    if (name && same_name(*name, wanted)) return i;
  }
  return std::nullopt;
}

size_t ProfileFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && !section_name(lines_[i])) ++i;
  return i;
}

std::optional<std::string> ProfileFile::Read(std::string_view section, std::string_view key) const {
  const auto header = FindSection(section);
  if (!header) return std::nullopt;
  const std::string_view wanted = trim(key);
  const size_t end = SectionEnd(*header);
  for (size_t i = *header + 1; i < end; ++i) {
    const auto line = key_line(lines_[i]);
    if (line && same_name(line->name, wanted)) return std::string(without_quotes(line->value));
  }
  return std::nullopt;
}

size_t ProfileFile::KeyCount(std::string_view section) const {
  const auto header = FindSection(section);
  if (!header) return 0;
  size_t count = 0;
  const size_t end = SectionEnd(*header);
  for (size_t i = *header + 1; i < end; ++i) count += key_line(lines_[i]) ? 1 : 0;
  return count;
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  std::string line = std::string(trim(key)) + "=" + std::string(value);
  const auto header = FindSection(section);
  if (!header) {
    if (!lines_.empty() && !is_blank(lines_.back())) lines_.emplace_back();
    lines_.push_back("[" + std::string(trim(section)) + "]");
    lines_.push_back(std::move(line));
    return;
  }
  const std::string_view wanted = trim(key);
  const size_t end = SectionEnd(*header);
  for (size_t i = *header + 1; i < end; ++i) {
    const auto existing = key_line(lines_[i]);
    if (existing && same_name(existing->name, wanted)) {
      lines_[i] = std::move(line);
      return;
    }
  }
  // New keys go after the section's last line that is not blank, so the
  // blank line before the next section stays where it was.
  size_t at = end;
  while (at > *header + 1 && is_blank(lines_[at - 1])) --at;
  lines_.insert(lines_.begin() + std::ptrdiff_t(at), std::move(line));
}

void ProfileFile::EraseSection(std::string_view section) {
  const auto header = FindSection(section);
  if (!header) return;
  lines_.erase(lines_.begin() + std::ptrdiff_t(*header),
               lines_.begin() + std::ptrdiff_t(SectionEnd(*header)));
}

std::string ProfileFile::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += line_end_;
  }
  return text;
}

std::optional<ProfileFile> LoadProfileFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    if (error && error != std::errc::no_such_file_or_directory) return std::nullopt;
    return ProfileFile();
  }
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  // Read in pieces up to the limit, whatever size the file claims: it may
  // grow while it is read.
  std::string text;
  char piece[1 << 16];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    text.append(piece, size_t(in.gcount()));
    if (text.size() > kMaxProfileFileBytes) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return ProfileFile::FromText(text);
}

bool SaveProfileFile(const std::string& path, const ProfileFile& profile) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path target(path);
  // A link is written through, so it keeps pointing at the profile.
  if (fs::is_symlink(target, error)) {
    const fs::path resolved = fs::canonical(target, error);
    if (!error) target = resolved;
  }
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), error);
    if (error) return false;
  }
  // A profile whose permission bits forbid writing stays as it is, also
  // for a user (root) whom the system would let write.
  struct stat old_status {};
  const bool exists = ::stat(target.c_str(), &old_status) == 0;
  if (exists && (old_status.st_mode & S_IWUSR) == 0) return false;
  std::string temp_path = target.string() + ".XXXXXX";
  const int fd = ::mkstemp(temp_path.data());
  if (fd < 0) return false;

  mode_t mode;
  if (exists) {
    mode = old_status.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0;
  const std::string text = profile.Text();
  size_t written = 0;
  while (ok && written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      written += size_t(n);
  }
  // No fsync: it waits until the disk has the file, which under other
  // programs' writes took the window's closing for seconds. The rename
  // below keeps the file whole for every reader; the write-out is only
  // started here, so the data goes to disk ahead of the rename, as the
  // usual file systems order them anyway.
  if (ok) (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp_path.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp_path.c_str());
  return ok;
}
