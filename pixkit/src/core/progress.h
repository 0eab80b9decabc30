// SPDX-License-Identifier: LGPL-2.1-or-later
// Load and save progress for the owner of the current OpenDib/SaveDib call.
#pragma once

#include <cstdint>

namespace pixkit {

// Set for the duration of one OpenDib or SaveDib on this thread.
class ProgressScope {
 public:
  // The handler registered for owner, if any.
  explicit ProgressScope(void* owner);
  // handler itself, called with owner; a null handler falls back to the
  // registered one.
  ProgressScope(void* owner, void (*handler)(void*, int));
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
};

// Readers and writers call this with rows done out of all rows; the handler
// hears each percentage once.
void report_progress(uint64_t done, uint64_t total);

void register_progress_handler(void* owner, void (*handler)(void*, int));

}  // namespace pixkit
