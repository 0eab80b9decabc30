#include "safe_save.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>
#include <vector>

#include "pixkit/pixkit.h"
#include "source_file.h"

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

Result<std::string> resolve_write_target(const std::string& path) {
  if (path.empty()) return fail("empty path");
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buffer(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size() - 1);
    if (n < 0) return fail("symbolic link cannot be read");
    std::string target(buffer.data(), size_t(n));
    if (target.empty()) return fail("empty symbolic link");
    current = target[0] == '/' ? target : folder_of(current) + "/" + target;
  }
  return fail("too many symbolic links");
}

namespace {

// The file being written, until it is renamed over the target.
//
// Where the system allows, the file is made with O_TMPFILE: it has no name
// until it is complete, so a run killed halfway leaves nothing behind. Only
// then is it linked under a short hidden name beside the target and renamed
// over it (a link cannot replace an existing file). Where O_TMPFILE is not
// supported, the file gets the short hidden name from the start. The name is
// short and of its own, never the target's name with something added, so a
// target name of up to 255 bytes can be written.
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
    std::string pattern = folder + "/" + kTempPrefix + "XXXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd_ = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd_ < 0) return errno;
    name_.assign(buffer.data());
    return 0;
  }

  int fd() const { return fd_; }
  bool named() const { return !name_.empty(); }

  // Gives an unnamed file its name, while the descriptor still refers to
  // it; 0 or the errno of the failure.
  int give_name() {
    if (named()) return 0;
    const std::string proc_path = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = folder_ + "/" + kTempPrefix + random_suffix();
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
  static constexpr const char* kTempPrefix = ".pk";

  static std::string random_suffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    uint8_t noise[8] = {};
    if (::getrandom(noise, sizeof noise, 0) != ssize_t(sizeof noise)) {
      // Without random bytes the clock still makes clashes unlikely; a
      // clash only means another attempt.
      const uint64_t t = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
      std::memcpy(noise, &t, sizeof noise);
    }
    std::string suffix;
    for (uint8_t byte : noise) suffix += kLetters[byte % (sizeof kLetters - 1)];
    return suffix;
  }

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
  auto resolved = resolve_write_target(path);
  if (!resolved) {
    why = PIXKIT_REASON_NOT_FOUND;
    return resolved.as_error();
  }
  const std::string target = resolved.value();

  struct stat st;
  mode_t mode;
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      why = PIXKIT_REASON_NOT_REGULAR;
      return fail("target is not a regular file");
    }
    if (!bits_allow_writing(st)) {
      why = PIXKIT_REASON_NO_PERMISSION;
      return fail("target is write-protected");
    }
    mode = st.st_mode & 07777;
  } else {
    if (errno != ENOENT) {
      why = reason_of_errno(errno);
      return fail("target cannot be examined");
    }
    mode = 0666 & ~current_umask();
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
