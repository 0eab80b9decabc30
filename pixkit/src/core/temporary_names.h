// SPDX-License-Identifier: LGPL-2.1-or-later
// The hidden names a save gives its temporary file in the target's folder,
// and the removal of those that a killed save left behind.
//
// A save that is killed between naming its finished file and renaming it
// over the target (or, where unnamed files are not supported, anywhere
// while it writes) leaves the temporary name in the folder. The name says
// whose it is: ".pk-" + 8 hex digits for this machine and process
// namespace + "-" + the process id + "-" + 8 random letters and digits,
// at most 32 bytes whatever the target's name. A later save can then tell
// a leftover of a process that is gone from the file of a save still at
// work, here or on another machine writing into the same shared folder.
#pragma once

#include <string>

namespace pixkit {

// A fresh hidden name (no folder) for a temporary file of this process.
std::string temporary_file_name();

// Removes from folder the regular files named by temporary_file_name in a
// process of this machine and process namespace that no longer exists.
// Names of other machines, of live processes and of anything else stay.
// Returns how many were removed; a folder that cannot be read gives 0.
int remove_leftover_temporaries(const std::string& folder);

}  // namespace pixkit
