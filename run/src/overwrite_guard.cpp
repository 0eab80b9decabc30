// The run refuses to start when any output would replace a listed source.
// Paths are compared after resolving symbolic links and "." / ".." the way
// the system will when the file is opened, and files that already exist
// are also compared by device and inode, so hard links and links to the
// source folder cannot slip past.
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "run/batch.h"
#include "run/output_path.h"

namespace fs = std::filesystem;

namespace {

std::string resolved_path(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(path), error);
  if (error) absolute = fs::path(path);
  fs::path resolved = fs::weakly_canonical(absolute, error);
  if (error) resolved = absolute.lexically_normal();
  return resolved.string();
}

struct FileIdentities {
  std::set<std::string> paths;
  std::set<std::pair<dev_t, ino_t>> inodes;
};

void add_identity(FileIdentities& ids, const std::string& path) {
  ids.paths.insert(resolved_path(path));
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) ids.inodes.insert({st.st_dev, st.st_ino});
}

bool matches(const FileIdentities& ids, const std::string& path) {
  if (ids.paths.count(resolved_path(path))) return true;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && ids.inodes.count({st.st_dev, st.st_ino});
}

}  // namespace

bool WouldOverwriteSources(const std::vector<std::string>& sources, const std::string& out_dir) {
  FileIdentities listed;
  for (const std::string& source : sources) add_identity(listed, source);
  for (const std::string& source : sources) {
    if (SourceExtensionRow(source) == 0) continue;  // never written
    if (matches(listed, OutputPath(source, out_dir))) return true;
  }
  return false;
}
