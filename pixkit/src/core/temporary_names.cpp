// SPDX-License-Identifier: LGPL-2.1-or-later
#include "temporary_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace pixkit {
namespace {

constexpr std::string_view kPrefix = ".pk-";
constexpr size_t kKeyDigits = 8;
constexpr size_t kSuffixLength = 8;
constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

// Process ids are only comparable within one machine and one process
// namespace: the host name tells machines sharing a folder apart, the pid
// namespace containers on one machine. Both survive a restart of the
// program, so a later run on the same machine recognises the leftovers of
// an earlier one.
std::string machine_key() {
  char host[HOST_NAME_MAX + 1] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  char space[64] = {};
  const ssize_t n = ::readlink("/proc/self/ns/pid", space, sizeof space - 1);
  if (n > 0) space[n] = '\0';
  // FNV-1a: a short name is enough; a clash between two machines only
  // matters when one of them also reuses the other's process id.
  uint32_t hash = 2166136261u;
  for (const char* part : {static_cast<const char*>(host), "\n", static_cast<const char*>(space)})
    for (const char* c = part; *c != '\0'; ++c) hash = (hash ^ uint8_t(*c)) * 16777619u;
  char key[kKeyDigits + 1];
  std::snprintf(key, sizeof key, "%08x", unsigned(hash));
  return key;
}

std::string random_suffix() {
  uint8_t noise[kSuffixLength] = {};
  if (::getrandom(noise, sizeof noise, 0) != ssize_t(sizeof noise)) {
    // Without random bytes the clock still makes clashes unlikely; a
    // clash only means another attempt.
    const uint64_t t = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    std::memcpy(noise, &t, sizeof noise);
  }
  std::string suffix;
  for (uint8_t byte : noise) suffix += kSuffixLetters[byte % (sizeof kSuffixLetters - 1)];
  return suffix;
}

bool all_of(std::string_view text, const char* allowed) {
  return !text.empty() && text.find_first_not_of(allowed) == std::string_view::npos;
}

// The process id in a name made by temporary_file_name with this key, or 0
// for any other name.
pid_t owner_of(std::string_view name, std::string_view key) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return 0;
  name.remove_prefix(kPrefix.size());
  if (name.substr(0, kKeyDigits) != key || name.size() <= kKeyDigits || name[kKeyDigits] != '-') return 0;
  name.remove_prefix(kKeyDigits + 1);
  const size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash > 9) return 0;  // a pid has at most 7 digits
  const std::string_view digits = name.substr(0, dash);
  const std::string_view suffix = name.substr(dash + 1);
  if (!all_of(digits, "0123456789") || digits[0] == '0') return 0;
  if (suffix.size() != kSuffixLength || !all_of(suffix, kSuffixLetters)) return 0;
  pid_t pid = 0;
  for (const char c : digits) pid = pid * 10 + (c - '0');
  return pid;
}

// Only a process that certainly does not exist has left its file: one
// the signal check cannot rule out (alive, or another user's) keeps it.
bool process_is_gone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

std::string temporary_file_name() {
  return std::string(kPrefix) + machine_key() + "-" + std::to_string(::getpid()) + "-" + random_suffix();
}

int remove_leftover_temporaries(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  DIR* listing = ::fdopendir(fd);
  if (listing == nullptr) {
    ::close(fd);
    return 0;
  }
  const std::string key = machine_key();
  const pid_t own = ::getpid();
  int removed = 0;
  while (const dirent* entry = ::readdir(listing)) {
    const pid_t owner = owner_of(entry->d_name, key);
    if (owner == 0 || owner == own || !process_is_gone(owner)) continue;
    struct stat st;
    if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    if (::unlinkat(fd, entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(listing);
  return removed;
}

}  // namespace pixkit
