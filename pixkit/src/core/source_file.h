// Reading a source picture file whole, with ordinary reads.
//
// Mapping the file instead would let another program that cuts the file
// short or re-saves it in place take the mapped pages away under a decoder,
// and the next access kills the process. With read() a file that shrinks is
// just a shorter (or failed) read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pixkit {

// Opens path for reading when it is a regular file. Opening does not wait
// (a named pipe would block until a writer comes, a device may never end);
// the descriptor is blocking again once the file is known to be regular.
// Returns the descriptor and sets size to the file's size at that moment,
// or returns -1 with reason set (PIXKIT_REASON_*).
int open_source_file(const char* path, uint64_t& size, int& reason);

// Reads size bytes, the whole file as it was opened, from fd. A file that
// turns out shorter changed while it was read: false with reason
// PIXKIT_REASON_CHANGED, as for any read error (with its own reason). A
// file that grew is read as it was. The descriptor stays the caller's.
bool read_source_file(int fd, uint64_t size, std::vector<uint8_t>& bytes, int& reason);

// The PIXKIT_REASON_* that an errno value from opening, reading or writing
// a file stands for.
int reason_of_errno(int error_number);

}  // namespace pixkit
