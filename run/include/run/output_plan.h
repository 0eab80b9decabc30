// SPDX-License-Identifier: GPL-3.0-or-later
// Where each source of a job is written: the folder (beside the source or
// below one target folder), the name, the numbering of names that would
// meet, and what happens to a name that is taken on disk. Planned over the
// whole list before any picture is loaded, so the same job names its
// outputs alike on any number of workers and in every shard.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/job.h"
#include "run/log_text.h"

struct PlannedOutput {
  // Empty: the file type is passed over. Otherwise where the output goes,
  // or, when skipped, the file that is there already.
  std::string path;
  // The name before the job's rule for taken names applied: the same as
  // path unless a new name was chosen for a taken one.
  std::string named;
  bool skip_existing = false;  // "<path> vorhanden, übersprungen"
  // The target folder the path lies below; the run makes the levels below
  // it without following links. Empty beside the source.
  std::string folder_base;
};

// One entry per listed source (the paths as opened), in list order.
std::vector<PlannedOutput> PlanOutputs(const std::vector<std::string>& sources, const WatermarkJob& job);

// The first source (as given) that a planned output would replace, also
// by another spelling, a link or a hard link; the run refuses to start
// then, whatever the rule for taken names.
std::optional<std::string> FirstSourceReplacedBy(const std::vector<std::string>& sources,
                                                 const std::vector<PlannedOutput>& plan);

// Whether the job's outputs go below a target folder rather than into the
// subfolder beside each source.
bool WritesToTargetFolder(const ExportOptions& output);

