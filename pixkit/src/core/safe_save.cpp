#include "safe_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>
#include <vector>

namespace pixkit {
namespace {

std::string folder_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string name_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

Status save_atomically(const std::string& path, const std::function<Status(OutputFile&)>& write_content) {
  auto resolved = resolve_write_target(path);
  if (!resolved) return resolved.as_error();
  const std::string target = resolved.value();

  struct stat st;
  mode_t mode;
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return fail("target is not a regular file");
    if (!bits_allow_writing(st)) return fail("target is write-protected");
    mode = st.st_mode & 07777;
  } else {
    if (errno != ENOENT) return fail("target cannot be examined");
    mode = 0666 & ~current_umask();
  }

  std::string temp = folder_of(target) + "/." + name_of(target) + ".XXXXXX";
  std::vector<char> temp_buffer(temp.begin(), temp.end());
  temp_buffer.push_back('\0');
  const int fd = ::mkstemp(temp_buffer.data());
  if (fd < 0) return fail("temporary file cannot be made");
  temp.assign(temp_buffer.data());

  Status status;
  {
    OutputFile out(fd, temp);
    if (::fchmod(fd, mode) != 0) status = fail("permission bits cannot be set");
    if (status.ok()) status = write_content(out);
    if (status.ok()) status = out.finish();
  }
  if (::close(fd) != 0 && status.ok()) status = fail("closing the file failed");
  if (status.ok() && ::rename(temp.c_str(), target.c_str()) != 0) status = fail("the file cannot be renamed");
  if (!status.ok()) ::unlink(temp.c_str());
  return status;
}

}  // namespace pixkit
