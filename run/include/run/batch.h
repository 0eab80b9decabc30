// The batch run: every recognised source of a job is loaded, brought to
// 24 bits, stamped, brought back to its own depth and written into the
// output subfolder beside it.
//
// Ownership: RunBatch only reads the job; the watermark record the job
// points to stays the caller's. Every record the run loads is released by
// the run, exactly once, also when a step throws.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/job.h"

struct BatchOutcome {
  // The run did not start: an output path would land on a listed source.
  // Nothing was created, loaded or written and no log line was sent.
  bool refused = false;
  std::string overwritten_source;  // when refused: the first source an output would replace
  // An error escaped a step (for instance out of memory). The run stopped
  // at that source; files already written stay, "Fertig..." was not sent.
  bool aborted = false;
  bool out_of_memory = false;  // aborted for want of memory
  std::string abort_reason;    // the error's own text when it has one
  int sources_recognised = 0;  // entries whose extension is in SourceExtensions
  int sources_skipped = 0;     // entries of any other type, logged as passed over
  int sources_written = 0;     // saved successfully
  int sources_failed = 0;      // could not be loaded, or could not be saved
};

// Runs the job. Log lines are handed to log in the order they happen:
// "<source> geladen..." (or the load error line), "<output> geschrieben..."
// (or the save error line), "<source> übersprungen: dieser Dateityp wird
// nicht bearbeitet" for a file type the run does not handle, and
// "Fertig..." at the end. Never throws.
BatchOutcome RunBatch(const WatermarkJob& job, const LogSink& log);

// The first source (as given) that an output would replace with this
// output subfolder name, when RunBatch would refuse them; lets a front end
// warn before it starts.
std::optional<std::string> FirstOverwrittenSource(const std::vector<std::string>& sources,
                                                  const std::string& out_dir);
bool WouldOverwriteSources(const std::vector<std::string>& sources, const std::string& out_dir);
