// SPDX-License-Identifier: GPL-3.0-or-later
// An INI file read and written the way the platform's profile functions
// treat one: section and key names compare without regard to ASCII case,
// the first matching section and the first matching key in it win, blanks
// around names and values are dropped, and a value in matching single or
// double quotes loses them. Writing changes only the line of the key (or
// adds one at the end of its section, or a new section at the end of the
// file); comments, unknown keys, other sections and the line ends of the
// file (CR LF or LF) stay as they were.
//
// The file is held as lines in memory; Load and Save touch the disk.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ProfileFile {
 public:
  ProfileFile() = default;
  // Text of a whole file; CR LF and LF line ends both read.
  static ProfileFile FromText(std::string_view text);

  // The value of key in section, or nothing when either is missing.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  // Replaces the value of the first key of that name in the first section
  // of that name, or adds the key at the end of the section (the section at
  // the end of the file). Names are written as given.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  // Removes the first section of that name with all its lines.
  void EraseSection(std::string_view section);
  // Number of key lines in the first section of that name.
  size_t KeyCount(std::string_view section) const;

  // The whole file as it would be saved.
  std::string Text() const;

 private:
  // Index of the header line of the first section of that name.
  std::optional<size_t> FindSection(std::string_view section) const;
  // One past the last line of the section whose header is at header.
  size_t SectionEnd(size_t header) const;

  std::vector<std::string> lines_;
  std::string line_end_ = "\n";
};

// The largest profile file Load reads. The program's own file holds a few
// dozen short keys and the watermark text; one far larger was not written
// by it, and holding it line by line would make the window slow to open
// and take memory many times its size. Such a file counts as one that
// cannot be read, so the window also leaves it alone when it closes.
inline constexpr size_t kMaxProfileFileBytes = size_t(4) << 20;

// Reading and writing a profile file on disk. Load gives an empty profile
// for a missing file; it fails (nothing) only when the file exists and
// cannot be read, or is larger than kMaxProfileFileBytes.
std::optional<ProfileFile> LoadProfileFile(const std::string& path);

// Blanks and tabs around a name or value, as the profile functions drop them.
std::string_view TrimProfileBlanks(std::string_view text);
// Names compare without regard to the case of ASCII letters.
bool SameProfileName(std::string_view a, std::string_view b);
// Writes through a temporary file beside path that replaces it only when
// complete; the folders on the way are made. The old file's permission
// bits are kept. Returns without waiting for the disk (the window saves on
// closing). False when the file cannot be written.
[[nodiscard]] bool SaveProfileFile(const std::string& path, const ProfileFile& profile);
