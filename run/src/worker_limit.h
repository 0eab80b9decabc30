// SPDX-License-Identifier: GPL-3.0-or-later
// How many sources a run works on at once: no more than were asked for,
// and no more than the memory at hand holds pictures of the largest size
// seen so far in the run.
//
// Each source in work holds its picture, and the steps make copies of it
// for a while; a hundred workers on twelve-megapixel photos held gigabytes.
// A picture's size is known only once it is loaded, so until the first
// one is, a single source is in work; from then on the allowance follows
// the largest picture loaded. Which worker takes which source never
// changes what is written or logged, so the allowance changes only when
// work happens, never its result.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class WorkerLimit {
 public:
  // most: workers asked for (at least 1). memory: bytes the pictures in
  // work may take together; 0 for no limit of that kind.
  WorkerLimit(int most, uint64_t memory) : most_(most < 1 ? 1 : most), memory_(memory) {}

  // For the thread that starts the workers: blocks until another worker
  // beside the running ones would be allowed to work (true) or no source
  // is left to hand out (false).
  bool wait_for_room(int running);

  // Around each source a worker takes: begin blocks while as many sources
  // as allowed are in work.
  void begin_source();
  void end_source();
  // A picture of width x height pixels was loaded.
  void note_picture(int64_t width, int64_t height);
  // No source is left to hand out; wakes wait_for_room.
  void close();

 private:
  int allowed() const;  // under the lock

  const int most_;
  const uint64_t memory_;
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t largest_bytes_ = 0;  // of the pictures loaded so far; 0: none yet
  int in_work_ = 0;
  bool closed_ = false;
};

// The memory this process can fill without pushing the system into swap
// or its memory cgroup into the OOM killer: MemAvailable, less where a
// cgroup memory limit (v2 or v1) leaves less room; 0 when nothing can be
// read.
uint64_t AvailableMemoryBytes();
