// SPDX-License-Identifier: GPL-3.0-or-later
// Names are settled for the whole list in list order: the first source to
// claim a path keeps it, a later one that would meet it gets the lowest
// free " (n)". Only the disk's state when the plan is made counts, never
// what a worker has written since, so workers cannot race for a name.
#include "run/output_plan.h"

#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "run/output_names.h"
#include "run/output_path.h"
#include "run/output_save.h"

namespace fs = std::filesystem;

namespace {

// The same file under every spelling of its path: "a/./b" and "a/b",
// relative and absolute.
std::string path_key(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(path), error);
  if (error) absolute = fs::path(path);
  return absolute.lexically_normal().string();
}

bool exists_on_disk(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(fs::path(path), error));
}

fs::path absolute_folder(const std::string& source) {
  std::string folder = SourceFolder(source);
  if (folder.empty()) folder = ".";
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(folder), error);
  if (error) absolute = fs::path(folder);
  absolute = absolute.lexically_normal();
  // "/a/b/" normalises to "/a/b/" with an empty last part; drop it so the
  // parts compare as folder names.
  if (!absolute.has_filename() && absolute != absolute.root_path()) absolute = absolute.parent_path();
  return absolute;
}

// The deepest folder that holds every recognised source's folder.
fs::path common_parent(const std::vector<std::string>& sources, const ExportOptions& output) {
  bool first = true;
  fs::path common;
  for (const std::string& source : sources) {
    if (SourceRowForJob(source, output) == 0) continue;
    const fs::path folder = absolute_folder(source);
    if (first) {
      common = folder;
      first = false;
      continue;
    }
    fs::path shared;
    auto a = common.begin();
    auto b = folder.begin();
    for (; a != common.end() && b != folder.end() && *a == *b; ++a, ++b) shared /= *a;
    common = shared;
  }
  return common;
}

// target + the source's folder below the common parent + "/".
std::string target_folder_of(const std::string& source, const std::string& target, const fs::path& parent) {
  std::string folder = target;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const fs::path below = absolute_folder(source).lexically_relative(parent);
  for (const fs::path& part : below) {
    if (part.empty() || part == ".") continue;
    if (folder.back() != '/') folder += '/';
    folder += part.string();
  }
  if (folder.back() != '/') folder += '/';
  return folder;
}

// A number for names that meet is needed once the options choose names or
// folders; a job with none keeps writing a source listed twice twice.
bool numbers_names(const ExportOptions& output) {
  return !output.name_pattern.empty() || output.format != ExportFormat::kSameAsSource ||
         WritesToTargetFolder(output) || output.if_exists != IfOutputExists::kReplace;
}

}  // namespace

bool WritesToTargetFolder(const ExportOptions& output) {
  return output.target == ExportTarget::kTargetFolder && !output.target_folder.empty();
}

std::vector<PlannedOutput> PlanOutputs(const std::vector<std::string>& sources, const WatermarkJob& job) {
  const ExportOptions& output = job.output;
  std::vector<PlannedOutput> plan(sources.size());
  const bool to_target = WritesToTargetFolder(output);
  const fs::path parent = to_target ? common_parent(sources, output) : fs::path();
  const std::string target = to_target ? OpenedSourcePath(output.target_folder, job.sources_folder) : "";
  const bool capture = NamePatternNeedsCaptureFacts(output.name_pattern);

  // Folder and name of each source; the numbers come after.
  std::vector<std::string> folders(sources.size());
  std::vector<std::string> names(sources.size());
  for (size_t i = 0; i < sources.size(); ++i) {
    const std::string& source = sources[i];
    if (SourceRowForJob(source, output) == 0) continue;
    folders[i] = to_target ? target_folder_of(source, target, parent) : OutputFolder(source, job.out_dir);
    const bool needs_facts = !output.name_pattern.empty();
    const SourceFacts facts =
        needs_facts ? ReadSourceFacts(source, int64_t(i + 1), 0, 0, capture) : SourceFacts{};
    names[i] = OutputFileName(source, output, facts);
    if (to_target) plan[i].folder_base = target;
    // The pattern's own folders lie below the output folder, made like the
    // levels below a target folder: never through a link.
    const size_t slash = names[i].rfind('/');
    if (slash != std::string::npos) {
      if (!to_target) plan[i].folder_base = folders[i];
      folders[i] += names[i].substr(0, slash + 1);
      names[i].erase(0, slash + 1);
    }
    plan[i].named = folders[i] + names[i];
  }
  if (!numbers_names(output)) {
    for (PlannedOutput& entry : plan) entry.path = entry.named;
    return plan;
  }

  // Every path of this run, so that neither a number for names that meet
  // nor a new name for a taken one lands on another output's.
  std::set<std::string> claimed;
  for (size_t i = 0; i < sources.size(); ++i) {
    if (plan[i].named.empty()) continue;
    int64_t n = 1;
    std::string path = plan[i].named;
    while (!claimed.insert(path_key(path)).second) path = folders[i] + NumberedFileName(names[i], ++n);
    plan[i].named = path;
  }
  for (size_t i = 0; i < sources.size(); ++i) {
    PlannedOutput& entry = plan[i];
    entry.path = entry.named;
    if (entry.named.empty() || output.if_exists == IfOutputExists::kReplace) continue;
    if (!exists_on_disk(entry.named)) continue;
    if (output.if_exists == IfOutputExists::kSkip) {
      entry.skip_existing = true;
      continue;
    }
    int64_t n = 1;
    std::string path;
    do {
      path = folders[i] + NumberedFileName(names[i], ++n);
    } while (exists_on_disk(path) || !claimed.insert(path_key(path)).second);
    entry.path = path;
  }
  return plan;
}
