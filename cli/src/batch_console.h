// SPDX-License-Identifier: GPL-3.0-or-later
// What stempora-batch prints while a run goes on: the log lines on
// standard output and, when standard error is a terminal, one progress
// line there that keeps being rewritten.
#pragma once

#include <mutex>
#include <string>

#include "run/batch.h"

class BatchConsole {
 public:
  // quiet: only log lines starting with "Fehler" are printed, and no
  // progress. show_progress: draw the progress line on standard error.
  BatchConsole(bool quiet, bool show_progress);

  // Both are called from the run's worker threads.
  void log_line(const std::string& line);
  void progress(const BatchProgress& progress);

  // Removes the progress line, so that what follows starts on a clean line.
  void finish();

  bool shows_progress() const { return show_progress_; }

 private:
  void erase_progress();
  void draw_progress();

  const bool quiet_;
  const bool show_progress_;
  // Both go to one terminal: a log line has to take the progress line
  // away and put it back below itself.
  const bool log_on_same_terminal_;
  std::mutex mutex_;
  std::string shown_;  // the progress text on the terminal now
};
