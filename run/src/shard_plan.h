// SPDX-License-Identifier: GPL-3.0-or-later
// The entries one run works through: the listed sources as opened, their
// planned outputs over the whole list, cut to the control's shard; or why
// the run would not start at all.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "run/batch.h"
#include "run/job.h"

// One listed entry of the run's shard.
struct ShardEntry {
  std::string source;  // as opened
  int row = 0;         // SourceExtensionRow; 0: passed over
  size_t number = 0;   // position in the whole list, from 1
  std::string output;  // where it is written (PlanOutputs)
  bool skip_existing = false;
  std::string folder_base;  // PlannedOutput's
};

struct ShardPlan {
  std::vector<ShardEntry> entries;  // in list order
  // The run would replace this source (refused) or its subfolder name
  // leads out of the source's folder (out_dir_refused); no entries then.
  bool refused = false;
  std::string overwritten_source;
  bool out_dir_refused = false;
  bool name_pattern_refused = false;  // NamePatternLeavesOutputFolder
  bool invalid_shard = false;         // the control names no shard of the list
};

ShardPlan PlanShard(const WatermarkJob& job, const BatchControl& control);

// A save killed between naming its finished file and renaming it leaves
// the hidden name behind; the run clears such leftovers from the output
// folders it is about to write into, once each.
void RemoveLeftoverSaves(const std::vector<ShardEntry>& entries);
