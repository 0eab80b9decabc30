// SPDX-License-Identifier: GPL-3.0-or-later
// Making the folder an output goes into. Below a target folder the run
// makes the mirrored levels itself, and a level that is a symbolic link
// (planted there, say, to send the files elsewhere) is refused instead of
// followed, as the library refuses a link in place of an output file.
#pragma once

#include <string>

// Thrown by MakeOutputFolder: the level named is a link or not a folder.
struct OutputFolderRefused {
  std::string level;  // the path up to that level
};

// Makes folder (an output's folder, ending in "/") with its parents. With
// base empty every level is made as it stands (links followed: the folder
// beside a source is the user's own). Otherwise folder lies below base:
// base and the levels above it are taken as they stand, and each level
// below it is made or opened without following a link; a link or a file
// there throws OutputFolderRefused. Other failures (no permission, a full
// disk) are left to the save, which reports them.
void MakeOutputFolder(const std::string& base, const std::string& folder);
