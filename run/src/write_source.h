// SPDX-License-Identifier: GPL-3.0-or-later
// One listed source, stamped and written: load, prepare, stamp, write, and
// the source's log lines, on the kept-blocks path or the ordinary one. The
// batch loop hands each of its workers' sources here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "pixkit/pixkit.h"
#include "run/job.h"

struct SourceToWrite {
  const std::string& source;       // as opened
  const std::string& output;       // where it is written (PlanOutputs)
  const std::string& folder_base;  // PlannedOutput's
  int64_t number = 0;              // position in the whole list, from 1
  bool try_kept_blocks = false;    // a JPEG row, the option on and allowed
};

// What the loop watches while a source is in work.
struct SourceWriteHooks {
  std::function<void(std::string line)> log;                // one line of this source's
  std::function<void(int64_t width, int64_t height)> size;  // the picture's size, once known
  std::function<void()> saving;                             // the save begins (may be empty)
};

// True when the output was written, false when the source failed to load
// or save, or its folder below the target folder is a link (one error
// line says so). An error that escapes the steps (no
// memory, an error of a hook) leaves through here, every record released.
bool WriteSource(const WatermarkJob& job, const SourceToWrite& work, const PixkitCallOptions& call,
                 const SourceWriteHooks& hooks);
