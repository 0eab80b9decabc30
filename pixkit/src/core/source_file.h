// SPDX-License-Identifier: LGPL-2.1-or-later
// Reading a source picture file with ordinary reads, as far as the picture
// needs.
//
// Mapping the file instead would let another program that cuts the file
// short or re-saves it in place take the mapped pages away under a decoder,
// and the next access kills the process. With read() a file that shrinks is
// just a shorter (or failed) read.
#pragma once

#include <cstdint>
#include <string>

#include "range_source.h"

namespace pixkit {

// Opens path for reading when it is a regular file. Opening does not wait
// (a named pipe would block until a writer comes, a device may never end);
// the descriptor is blocking again once the file is known to be regular.
// Returns the descriptor and sets size to the file's size at that moment,
// or returns -1 with reason set (PIXKIT_REASON_*).
int open_source_file(const char* path, uint64_t& size, int& reason);

// The file behind fd as it was opened, size bytes, read with pread where a
// reader asks. A file that grew is read as it was; one that turns out
// shorter changed while it was read, and that read fails like a read error.
// The descriptor stays the caller's.
class FileSource : public RangeSource {
 public:
  FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  uint64_t size() const override { return size_; }
  bool read(uint64_t offset, void* out, size_t count) const override;
  // Why a read inside the file's size failed (PIXKIT_REASON_CHANGED for a
  // file that became shorter), PIXKIT_REASON_NONE when none did. A reader
  // that gives up after such a read reports damage; this is the truth.
  int failure_reason() const { return failure_reason_; }

 private:
  int fd_;
  uint64_t size_;
  mutable int failure_reason_ = 0;
};

// The PIXKIT_REASON_* that an errno value from opening, reading or writing
// a file stands for.
int reason_of_errno(int error_number);

}  // namespace pixkit
