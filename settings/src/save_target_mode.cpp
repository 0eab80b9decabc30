// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_target_mode.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// The umask without setting it: on Linux the process status shows it.
// Setting and restoring it would change it for every thread in between.
bool read_umask(mode_t& mask) {
  std::FILE* status = std::fopen("/proc/self/status", "re");
  if (status == nullptr) return false;
  char line[256];
  bool found = false;
  while (!found && std::fgets(line, sizeof line, status) != nullptr) {
    unsigned value;
    if (std::sscanf(line, "Umask: %o", &value) == 1) {
      mask = mode_t(value) & 0777;
      found = true;
    }
  }
  std::fclose(status);
  return found;
}

bool bits_allow_writing(const struct stat& st, const ProcessIdentity& process) {
  if (st.st_uid == process.user) return (st.st_mode & S_IWUSR) != 0;
  const bool in_group = st.st_gid == process.group || std::find(process.groups.begin(), process.groups.end(),
                                                                st.st_gid) != process.groups.end();
  if (in_group) return (st.st_mode & S_IWGRP) != 0;
  return (st.st_mode & S_IWOTH) != 0;
}

}  // namespace

ProcessIdentity CurrentProcessIdentity() {
  ProcessIdentity process;
  process.user = ::geteuid();
  process.group = ::getegid();
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    process.groups.resize(size_t(count));
    const int got = ::getgroups(count, process.groups.data());
    process.groups.resize(got > 0 ? size_t(got) : 0);
  }
  if (!read_umask(process.umask)) {
    process.umask = ::umask(022);
    ::umask(process.umask);
  }
  return process;
}

SaveTargetDecision DecideSaveTarget(const struct stat* existing, const ProcessIdentity& process) {
  SaveTargetDecision decision;
  if (existing == nullptr) {
    decision.mode = 0666 & ~process.umask;
    return decision;
  }
  decision.refused = !bits_allow_writing(*existing, process);
  decision.mode = existing->st_mode & 07777;
  return decision;
}
