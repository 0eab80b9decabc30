// SPDX-License-Identifier: GPL-3.0-or-later
// The run refuses to start when any output would replace a listed source.
// Paths are resolved the way the system will resolve them when the run
// creates the output folder and opens the file, and files that already
// exist are also compared by device and inode, so hard links and links to
// the source folder cannot slip past.
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "run/batch.h"
#include "run/output_path.h"
#include "run/output_plan.h"
#include "run/output_save.h"

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

// The listed sources by the path the system resolves them to and, for
// files that exist, by device and inode; each names the source as listed.
struct FileIdentities {
  std::map<std::string, std::string> paths;
  std::map<std::pair<dev_t, ino_t>, std::string> inodes;
};

void add_identity(FileIdentities& ids, const std::string& path) {
  const std::string resolved = resolved_path(path);
  ids.paths.emplace(resolved, path);
  struct stat st;
  if (::stat(resolved.c_str(), &st) == 0) ids.inodes.emplace(std::make_pair(st.st_dev, st.st_ino), path);
}

// The listed source that path would replace, or nullptr.
const std::string* source_at(const FileIdentities& ids, const std::string& path) {
  const std::string resolved = resolved_path(path);
  if (const auto found = ids.paths.find(resolved); found != ids.paths.end()) return &found->second;
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0) return nullptr;
  const auto found = ids.inodes.find({st.st_dev, st.st_ino});
  return found != ids.inodes.end() ? &found->second : nullptr;
}

}  // namespace

std::optional<std::string> FirstOverwrittenSource(const std::vector<std::string>& sources,
                                                  const std::string& out_dir, const ExportOptions& output) {
  FileIdentities listed;
  for (const std::string& source : sources) add_identity(listed, source);
  for (const std::string& source : sources) {
    if (SourceRowForJob(source, output) == 0) continue;  // never written
    if (const std::string* overwritten = source_at(listed, OutputPath(source, out_dir))) return *overwritten;
  }
  return std::nullopt;
}

bool WouldOverwriteSources(const std::vector<std::string>& sources, const std::string& out_dir) {
  return FirstOverwrittenSource(sources, out_dir).has_value();
}

std::optional<std::string> FirstSourceReplacedBy(const std::vector<std::string>& sources,
                                                 const std::vector<PlannedOutput>& plan) {
  FileIdentities listed;
  for (const std::string& source : sources) add_identity(listed, source);
  // The name before the rule for taken names counts too: a job whose
  // names land on its sources is refused whatever that rule says.
  for (const PlannedOutput& entry : plan) {
    for (const std::string* path : {&entry.named, &entry.path}) {
      if (path->empty() || (path == &entry.path && entry.path == entry.named)) continue;
      if (const std::string* overwritten = source_at(listed, *path)) return *overwritten;
    }
  }
  return std::nullopt;
}
