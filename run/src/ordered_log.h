// SPDX-License-Identifier: GPL-3.0-or-later
// The run's log in list order, whatever order its workers finish in.
#pragma once

#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "run/job.h"

// Hands each entry's lines on in list order: the lines of the entry at
// the front go straight out, those of later entries wait until every
// earlier entry is done.
class OrderedLog {
 public:
  OrderedLog(const LogSink& sink, size_t entries) : sink_(sink), slots_(entries) {}

  void line(size_t entry, std::string text);
  void done(size_t entry);
  // After every worker has stopped.
  void last_line(const std::string& text);
  // What the sink threw, if it did; it hears nothing after that.
  std::exception_ptr failure();

 private:
  struct Slot {
    std::vector<std::string> waiting;
    bool done = false;
  };
  // Under the lock. An error of the sink must not leave a worker thread:
  // it is kept and ends the run once the workers have stopped.
  void send(const std::string& text);

  const LogSink& sink_;
  std::mutex mutex_;
  std::vector<Slot> slots_;
  size_t front_ = 0;
  std::exception_ptr failure_;
};
