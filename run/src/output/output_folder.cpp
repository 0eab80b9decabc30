// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

void make_as_it_stands(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

}  // namespace

void MakeOutputFolder(const std::string& base, const std::string& folder) {
  std::string root = base;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root.empty() || folder.compare(0, root.size(), root) != 0 ||
      (folder.size() > root.size() && folder[root.size()] != '/' && root != "/")) {
    make_as_it_stands(folder);
    return;
  }
  make_as_it_stands(root);
  Descriptor at(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (at.get() < 0) return;
  std::string reached = root;
  size_t start = root.size();
  while (start < folder.size()) {
    while (start < folder.size() && folder[start] == '/') ++start;
    size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    if (end == start) break;
    const std::string level = folder.substr(start, end - start);
    if (reached.back() != '/') reached += '/';
    reached += level;
    if (level == ".") {
      start = end;
      continue;
    }
    if (level == "..") throw OutputFolderRefused{reached};
    if (mkdirat(at.get(), level.c_str(), 0777) != 0 && errno != EEXIST) return;
    const int next = openat(at.get(), level.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      if (errno == ELOOP || errno == ENOTDIR) throw OutputFolderRefused{reached};
      return;
    }
    at.reset(next);
    start = end;
  }
}
