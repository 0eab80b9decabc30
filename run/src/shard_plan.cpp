// SPDX-License-Identifier: GPL-3.0-or-later
#include "shard_plan.h"

#include <optional>
#include <set>
#include <utility>

#include "run/output_names.h"
#include "run/output_path.h"
#include "run/output_plan.h"
#include "run/output_save.h"

namespace {

std::vector<std::string> opened_sources(const WatermarkJob& job) {
  // The list keeps its paths as stored; relative ones are opened from the
  // settings file's folder, and the log names what was opened.
  std::vector<std::string> sources;
  sources.reserve(job.sources.size());
  for (const std::string& listed : job.sources)
    sources.push_back(OpenedSourcePath(listed, job.sources_folder));
  return sources;
}

bool valid_shard(const BatchControl& control) {
  return control.shard_count >= 1 && control.shard_index >= 0 && control.shard_index < control.shard_count;
}

// The entries of the control's shard, in list order; the outputs were
// planned over the whole list.
std::vector<ShardEntry> shard_entries(std::vector<std::string>& sources, std::vector<PlannedOutput>& outputs,
                                      const ExportOptions& output, const BatchControl& control) {
  std::vector<ShardEntry> entries;
  const size_t step = size_t(control.shard_count);
  for (size_t i = size_t(control.shard_index); i < sources.size(); i += step) {
    const int row = SourceRowForJob(sources[i], output);
    entries.push_back(ShardEntry{std::move(sources[i]), row, i + 1, std::move(outputs[i].path),
                                 outputs[i].skip_existing, std::move(outputs[i].folder_base)});
  }
  return entries;
}

// Why the run would not start: a source an output would replace, or an
// output subfolder name or name pattern leading out of the output folder.
bool refuses(const std::vector<std::string>& sources, const std::vector<PlannedOutput>& outputs,
             const WatermarkJob& job, bool& refused, std::string& overwritten, bool& out_dir_refused,
             bool& name_pattern_refused) {
  if (std::optional<std::string> source = FirstSourceReplacedBy(sources, outputs)) {
    refused = true;
    overwritten = std::move(*source);
    return true;
  }
  // A target folder is named on purpose and may lie anywhere; the
  // subfolder name is not used then.
  if (!WritesToTargetFolder(job.output) && OutDirLeavesSourceFolder(job.out_dir)) {
    out_dir_refused = true;
    return true;
  }
  if (NamePatternLeavesOutputFolder(job.output.name_pattern)) {
    name_pattern_refused = true;
    return true;
  }
  return false;
}

}  // namespace

ShardPlan PlanShard(const WatermarkJob& job, const BatchControl& control) {
  ShardPlan plan;
  std::vector<std::string> sources = opened_sources(job);
  std::vector<PlannedOutput> outputs = PlanOutputs(sources, job);
  if (refuses(sources, outputs, job, plan.refused, plan.overwritten_source, plan.out_dir_refused,
              plan.name_pattern_refused))
    return plan;
  if (!valid_shard(control)) {
    plan.invalid_shard = true;
    return plan;
  }
  plan.entries = shard_entries(sources, outputs, job.output, control);
  return plan;
}

void RemoveLeftoverSaves(const std::vector<ShardEntry>& entries) {
  std::set<std::string> folders;
  for (const ShardEntry& entry : entries) {
    if (entry.row == 0 || entry.skip_existing) continue;
    const std::string folder = SourceFolder(entry.output);
    if (folders.insert(folder).second) PixkitRemoveLeftoverSaves(folder.c_str());
  }
}
