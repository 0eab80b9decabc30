// SPDX-License-Identifier: GPL-3.0-or-later
// The list of sources given to --sources-from: one path per line, for
// lists too long for a command line.
#pragma once

#include <string>
#include <vector>

struct SourceListRead {
  std::vector<std::string> sources;
  std::string error;  // German message for standard error; empty when read
};

// Reads the list from the file at path, or from standard input for "-".
// Lines end in LF or CR LF; empty lines are skipped. Every other byte is
// part of the path as it stands (no trimming, no re-encoding: a file name
// is bytes). A line holding a NUL byte is refused, since no file can be
// opened under that name and a shortened one would name another file; so
// is a line longer than the system's path limit. Either refusal comes as
// soon as the line is met, so an endless input (/dev/zero) ends the read.
SourceListRead ReadSourceList(const std::string& path);
