// SPDX-License-Identifier: LGPL-2.1-or-later
#include "safe_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>
#include <vector>

#include "pixkit/pixkit.h"
#include "source_file.h"
#include "temporary_names.h"

namespace pixkit {
namespace {

std::string folder_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

mode_t current_umask() {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// Whether the permission bits that apply to this process allow writing.
bool bits_allow_writing(const struct stat& st) {
  if (st.st_uid == ::geteuid()) return (st.st_mode & S_IWUSR) != 0;
  if (st.st_gid == ::getegid()) return (st.st_mode & S_IWGRP) != 0;
  std::vector<gid_t> groups(size_t(NGROUPS_MAX));
  const int n = ::getgroups(int(groups.size()), groups.data());
  for (int i = 0; i < n; ++i)
    if (groups[size_t(i)] == st.st_gid) return (st.st_mode & S_IWGRP) != 0;
  return (st.st_mode & S_IWOTH) != 0;
}

}  // namespace

namespace {

// The file being written, until it is renamed over the target.
//
// Where the system allows, the file is made with O_TMPFILE: it has no name
// until it is complete, so a run killed halfway leaves nothing behind. Only
// then is it linked under a short hidden name beside the target and renamed
// over it (a link cannot replace an existing file). Where O_TMPFILE is not
// supported, the file gets the short hidden name from the start. The name is
// short and of its own (temporary_names.h), never the target's name with
// something added, so a target name of up to 255 bytes can be written.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() { discard(); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Makes the file in folder; 0 or the errno of the failure.
  int create(const std::string& folder, bool unnamed_if_possible) {
    folder_ = folder;
    if (unnamed_if_possible) {
      fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
      if (fd_ >= 0) return 0;
      // Old kernels say EISDIR, file systems without support EOPNOTSUPP.
      if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = folder_ + "/" + temporary_file_name();
      fd_ = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
      if (fd_ >= 0) {
        name_ = name;
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int fd() const { return fd_; }
  bool named() const { return !name_.empty(); }

  // Gives an unnamed file its name, while the descriptor still refers to
  // it; 0 or the errno of the failure.
  int give_name() {
    if (named()) return 0;
    const std::string proc_path = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = folder_ + "/" + temporary_file_name();
      if (::linkat(AT_FDCWD, proc_path.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        name_ = name;
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  // 0 or the errno of the failure.
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

  // Renames the named file over target; 0 or the errno of the failure.
  int rename_over(const std::string& target) {
    if (::rename(name_.c_str(), target.c_str()) != 0) return errno;
    name_.clear();
    return 0;
  }

 private:
  void discard() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) ::unlink(name_.c_str());
    fd_ = -1;
    name_.clear();
  }

  std::string folder_;
  std::string name_;
  int fd_ = -1;
};

// Flushes the folder's entry for the renamed file to the disk. The new file
// is complete and in place whatever this says; a folder that cannot be
// flushed (some file systems refuse fsync on folders) only leaves the rename
// as durable as the system makes it, so the result is not a failure.
void flush_folder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// Why a content writer failed: the system's own error when a write was
// refused, else what the encoder said.
int reason_of_content_failure(const OutputFile& out, const Status& status) {
  if (out.error_number() != 0) return reason_of_errno(out.error_number());
  const std::string text = status.error();
  if (text.find("too large") != std::string::npos) return PIXKIT_REASON_TOO_LARGE;
  return PIXKIT_REASON_ENCODER;
}

// One attempt with an unnamed temporary file or a named one. Sets reason on
// failure, and naming_failed when only giving the unnamed file its name
// failed.
Status write_and_replace(const std::string& target, mode_t mode, bool unnamed_if_possible,
                         const std::function<Status(OutputFile&)>& write_content, int& reason,
                         bool& naming_failed) {
  const std::string folder = folder_of(target);
  TemporaryFile temp;
  if (const int e = temp.create(folder, unnamed_if_possible); e != 0) {
    reason = reason_of_errno(e);
    return fail("temporary file cannot be made");
  }
  if (::fchmod(temp.fd(), mode) != 0) {
    reason = reason_of_errno(errno);
    return fail("permission bits cannot be set");
  }
  {
    OutputFile out(temp.fd(), "/proc/self/fd/" + std::to_string(temp.fd()));
    Status status = write_content(out);
    if (status.ok()) status = out.finish();
    if (!status.ok()) {
      reason = reason_of_content_failure(out, status);
      return status;
    }
  }
  // The content reaches the disk before the name does: after a power cut
  // the target is the old file or the whole new one, never an empty one.
  if (::fsync(temp.fd()) != 0) {
    reason = reason_of_errno(errno);
    return fail("the file cannot be flushed");
  }
  if (const int e = temp.give_name(); e != 0) {
    reason = reason_of_errno(e);
    naming_failed = true;
    return fail("the finished file cannot be named");
  }
  if (const int e = temp.close(); e != 0) {
    reason = reason_of_errno(e);
    return fail("closing the file failed");
  }
  if (const int e = temp.rename_over(target); e != 0) {
    reason = reason_of_errno(e);
    return fail("the file cannot be renamed");
  }
  flush_folder(folder);
  return {};
}

}  // namespace

Status save_atomically(const std::string& path, const std::function<Status(OutputFile&)>& write_content,
                       int* reason) {
  int ignored = 0;
  int& why = reason ? *reason : ignored;
  why = PIXKIT_REASON_NONE;
  if (path.empty()) {
    why = PIXKIT_REASON_NOT_FOUND;
    return fail("empty path");
  }
  const std::string& target = path;

  // A symbolic link at the name is replaced itself, like any file there:
  // writing through it would let whoever may plant a link in the output
  // folder choose which file of the user's (or root's) gets replaced.
  struct stat st;
  const bool found = ::lstat(target.c_str(), &st) == 0;
  if (!found && errno != ENOENT) {
    why = reason_of_errno(errno);
    return fail("target cannot be examined");
  }
  mode_t mode;
  if (!found || S_ISLNK(st.st_mode)) {
    mode = 0666 & ~current_umask();
  } else {
    if (!S_ISREG(st.st_mode)) {
      why = PIXKIT_REASON_NOT_REGULAR;
      return fail("target is not a regular file");
    }
    if (!bits_allow_writing(st)) {
      why = PIXKIT_REASON_NO_PERMISSION;
      return fail("target is write-protected");
    }
    mode = st.st_mode & 07777;
  }

  bool naming_failed = false;
  Status status = write_and_replace(target, mode, true, write_content, why, naming_failed);
  // Naming an unnamed file goes through /proc; without it (a bare chroot)
  // the save is done again with a named temporary file.
  if (naming_failed && why != PIXKIT_REASON_DISK_FULL) {
    why = PIXKIT_REASON_NONE;
    status = write_and_replace(target, mode, false, write_content, why, naming_failed);
  }
  return status;
}

}  // namespace pixkit
