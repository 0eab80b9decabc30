// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run: every recognised source of a job is loaded, brought to
// 24 bits, stamped, brought back to its own depth and written into the
// output subfolder beside it.
//
// Ownership: RunBatch only reads the job; the watermark record the job
// points to stays the caller's. Every record the run loads is released by
// the run, exactly once, also when a step throws.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/job.h"

struct BatchOutcome {
  // The run did not start: an output path would land on a listed source.
  // Nothing was created, loaded or written and no log line was sent.
  bool refused = false;
  std::string overwritten_source;  // when refused: the first source an output would replace
  // The run did not start: the output subfolder name leads out of the
  // source's folder (OutDirLeavesSourceFolder). Nothing was created,
  // loaded or written and no log line was sent. A name that would also
  // replace a source is reported as refused above.
  bool out_dir_refused = false;
  // The run did not start, likewise: the name pattern's folders lead out
  // of the output folder (NamePatternLeavesOutputFolder).
  bool name_pattern_refused = false;
  // An error escaped a step (for instance out of memory). The run stopped
  // at that source; files already written stay, "Fertig..." was not sent.
  bool aborted = false;
  // Cancelled through BatchControl::cancel: no source was handed out after
  // that, those in flight were finished, and "Abgebrochen..." ended the log
  // instead of "Fertig...".
  bool cancelled = false;
  bool out_of_memory = false;  // aborted for want of memory
  std::string abort_reason;    // the error's own text when it has one
  int sources_recognised = 0;  // entries whose extension is in SourceExtensions
  int sources_skipped = 0;     // other types, and outputs kept as they were (IfOutputExists::kSkip)
  int sources_written = 0;     // saved successfully
  int sources_failed = 0;      // could not be loaded, or could not be saved
};

// Where a run stands, for a progress display.
struct BatchProgress {
  int total = 0;     // recognised sources this run handles (its shard's share)
  int started = 0;   // of those, handed to a worker so far ("Datei started von total")
  int finished = 0;  // of those, done: written or failed
  // The whole run, 0..1: finished sources plus the library's load and save
  // progress of those in flight, over total. Never goes back.
  double fraction = 0.0;
};

// How a run is carried out; none of it changes what a source becomes.
struct BatchControl {
  // Sources worked on at once, each by its own worker thread. 0: as many as
  // the process may use cores (DefaultWorkerCount). 1: on the calling
  // thread, one after the other. Fewer work at once when the list has
  // fewer recognised sources, or when memory_bytes does not hold that many
  // pictures of the largest size loaded so far (until the first picture is
  // loaded, one source is in work).
  int workers = 0;
  // Memory the pictures in work may take together; 0: what the system has
  // available when the run starts (AvailableMemoryBytes), or no limit when
  // that cannot be read.
  uint64_t memory_bytes = 0;
  // Set from any thread (or a signal handler) to cancel the run.
  const std::atomic<bool>* cancel = nullptr;
  // Handle only the listed entries whose position, counted from 0, is
  // shard_index modulo shard_count (0 <= shard_index < shard_count). The
  // overwrite guard still checks against every listed source.
  int shard_index = 0;
  int shard_count = 1;
  // Called from worker threads, one call at a time, whenever the progress
  // moves; must be quick.
  std::function<void(const BatchProgress&)> progress;
};

// The number of cores this process may run on (at least 1).
int DefaultWorkerCount();

// Runs the job. Log lines are handed to log in the order of the list,
// whatever the number of workers, one call at a time:
// "<source> geladen..." (or the load error line), "<output> geschrieben..."
// (or the save error line), "<source> übersprungen: dieser Dateityp wird
// nicht bearbeitet" for a file type the run does not handle, and
// "Fertig..." (or "Abgebrochen..." when cancelled) at the end. A source's
// lines are handed on as soon as every earlier source's lines have been.
// Outputs and log are the same for any number of workers. Never throws.
BatchOutcome RunBatch(const WatermarkJob& job, const LogSink& log, const BatchControl& control = {});

// What RunBatch would do with each listed entry of its shard, in list
// order, without loading anything: the path opened, and the output path
// (empty for a file type the run passes over). refused/overwritten_source
// out_dir_refused and name_pattern_refused as RunBatch would report them.
struct PlannedSource {
  std::string source;          // as opened
  std::string output;          // empty: passed over
  bool skip_existing = false;  // output is there already and the job keeps it
};
struct BatchPlan {
  bool refused = false;
  std::string overwritten_source;
  bool out_dir_refused = false;
  bool name_pattern_refused = false;
  std::vector<PlannedSource> entries;
};
BatchPlan PlanBatch(const WatermarkJob& job, const BatchControl& control = {});

// The first source (as given) that an output would replace with this
// output subfolder name, when RunBatch would refuse them; lets a front end
// warn before it starts. output says which sources the run writes (the
// further sources too when it takes them).
std::optional<std::string> FirstOverwrittenSource(const std::vector<std::string>& sources,
                                                  const std::string& out_dir,
                                                  const ExportOptions& output = {});
bool WouldOverwriteSources(const std::vector<std::string>& sources, const std::string& out_dir);
