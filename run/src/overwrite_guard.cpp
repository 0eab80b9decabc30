// The run refuses to start when any output would replace a listed source.
// Paths are resolved the way the system will resolve them when the run
// creates the output folder and opens the file, and files that already
// exist are also compared by device and inode, so hard links and links to
// the source folder cannot slip past.
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

// Component by component: an existing component is followed through its
// symbolic links; a missing one will be created as a plain folder, so a
// ".." after it steps back to the folder before it. Neither a purely
// lexical normalisation ("link/.." is not the folder holding "link") nor
// weakly_canonical ("new/../link" leaves "link" unresolved while "new" is
// missing) gives the file the run will open.
std::string resolved_path(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(path), error);
  if (error) absolute = fs::path(path);
  fs::path current = absolute.root_path();
  for (const fs::path& part : absolute.relative_path()) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      current = current.parent_path();
      continue;
    }
    fs::path next = current / part;
    if (fs::is_symlink(fs::symlink_status(next, error))) {
      fs::path target = fs::canonical(next, error);
      if (!error) next = target;  // a dangling or looping link stays as named
    }
    current = next;
  }
  return current.string();
}

struct FileIdentities {
  std::set<std::string> paths;
  std::set<std::pair<dev_t, ino_t>> inodes;
};

void add_identity(FileIdentities& ids, const std::string& path) {
  const std::string resolved = resolved_path(path);
  ids.paths.insert(resolved);
  struct stat st;
  if (::stat(resolved.c_str(), &st) == 0) ids.inodes.insert({st.st_dev, st.st_ino});
}

bool matches(const FileIdentities& ids, const std::string& path) {
  const std::string resolved = resolved_path(path);
  if (ids.paths.count(resolved)) return true;
  struct stat st;
  return ::stat(resolved.c_str(), &st) == 0 && ids.inodes.count({st.st_dev, st.st_ino});
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
