// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_console.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

BatchConsole::BatchConsole(bool quiet, bool show_progress)
    : quiet_(quiet),
      show_progress_(show_progress && !quiet),
      log_on_same_terminal_(show_progress_ && isatty(STDOUT_FILENO) == 1) {}

void BatchConsole::log_line(const std::string& line) {
  if (quiet_ && line.rfind("Fehler", 0) != 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (log_on_same_terminal_) erase_progress();
  // Write errors of the log (a closed pipe, a full disk) are not the
  // pictures' failures: the exit status says only what the pictures did.
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  if (log_on_same_terminal_) draw_progress();
}

void BatchConsole::progress(const BatchProgress& progress) {
  if (!show_progress_) return;
  char text[96];
  std::snprintf(text, sizeof text, "%d/%d Dateien fertig, %d %%", progress.finished, progress.total,
                int(std::floor(progress.fraction * 100.0)));
  std::lock_guard<std::mutex> lock(mutex_);
  // The library reports many times per picture; the terminal only needs
  // to hear about a change of what it shows.
  if (shown_ == text) return;
  erase_progress();
  shown_ = text;
  draw_progress();
}

void BatchConsole::finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  erase_progress();
  shown_.clear();
}

void BatchConsole::erase_progress() {
  if (shown_.empty()) return;
  // Blanks over the old text rather than a terminal control sequence:
  // that works on every terminal.
  std::fputc('\r', stderr);
  for (size_t i = 0; i < shown_.size(); ++i) std::fputc(' ', stderr);
  std::fputc('\r', stderr);
  std::fflush(stderr);
}

void BatchConsole::draw_progress() {
  if (shown_.empty()) return;
  std::fputs(shown_.c_str(), stderr);
  std::fflush(stderr);
}
