// The batch run: every recognised source of a job is loaded, brought to
// 24 bits, stamped, brought back to its own depth and written into the
// output subfolder beside it.
//
// Ownership: RunBatch only reads the job; the watermark record the job
// points to stays the caller's. Every record the run loads is released by
// the run, exactly once, also when a step throws.
#pragma once

#include <string>
#include <vector>

#include "run/job.h"

// Shown (caption "Fehler") or printed when a run is refused because an
// output file would replace a listed source.
inline constexpr char kOverwriteRefusedCaption[] = "Fehler";
inline constexpr char kOverwriteRefusedMessage[] =
    "Die Zieldateien würden Quelldateien überschreiben. Bitte einen anderen Namen für das "
    "Unterverzeichnis wählen.";

struct BatchOutcome {
  // The run did not start: an output path would land on a listed source.
  // Nothing was created, loaded or written and no log line was sent.
  bool refused = false;
  // An error escaped a step (for instance out of memory). The run stopped
  // at that source; files already written stay, "Fertig..." was not sent.
  bool aborted = false;
  std::string abort_reason;    // the error's own text when aborted
  int sources_recognised = 0;  // entries whose extension is in SourceExtensions
  int sources_written = 0;     // saved successfully
  int sources_failed = 0;      // could not be loaded, or could not be saved
};

// Runs the job. Log lines are handed to log in the order they happen:
// "<source> geladen..." (or the load error line), "<output> geschrieben..."
// (or the save error line), and "Fertig..." at the end. Never throws.
BatchOutcome RunBatch(const WatermarkJob& job, const LogSink& log);

// True when RunBatch would refuse these sources with this output subfolder
// name; lets a front end warn before it starts.
bool WouldOverwriteSources(const std::vector<std::string>& sources, const std::string& out_dir);
