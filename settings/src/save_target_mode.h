// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a new settings file may replace the file at its target, and the
// permission bits it gets. The writer replaces the target by renaming a
// temporary file over it, which the target's own permission bits do not
// stop; so they are checked here, the way the imaging library checks them
// before it saves a picture, and a write-protected file is left alone.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <vector>

// Who the process is, as far as permission bits go.
struct ProcessIdentity {
  uid_t user = 0;             // effective user
  gid_t group = 0;            // effective group
  std::vector<gid_t> groups;  // supplementary groups
  mode_t umask = 022;
};
ProcessIdentity CurrentProcessIdentity();

struct SaveTargetDecision {
  bool refused = false;  // the target's permission bits forbid writing to it
  mode_t mode = 0;       // permission bits of the new file
};

// existing: the target's status, nullptr when there is no file there yet.
// A file keeps its permission bits (set-id bits included); a new file gets
// 0666 less the umask. The bits that apply are the owner's for the owner,
// the group's for a member of the file's group, the others' for the rest;
// the super-user is held to them too, as a write-protected mark is meant
// for everyone.
SaveTargetDecision DecideSaveTarget(const struct stat* existing, const ProcessIdentity& process);
