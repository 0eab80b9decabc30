// SPDX-License-Identifier: LGPL-2.1-or-later
// Buffered writing to an open file descriptor with a sticky error flag, so
// writers can emit a whole file and check once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "result.h"

namespace pixkit {

class OutputFile {
 public:
  // fd stays open and owned by the caller; path names the same file for
  // libraries that open files by name.
  OutputFile(int fd, std::string path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

  void write(const void* data, size_t count);
  void u8(uint8_t v) { write(&v, 1); }
  void le16(uint16_t v);
  void le32(uint32_t v);
  void be16(uint16_t v);
  void be32(uint32_t v);
  void fill(uint8_t value, size_t count);

  // Bytes accepted so far, flushed or not.
  uint64_t offset() const { return written_ + buffer_.size(); }
  // Overwrites bytes already written at offset (after a flush).
  void patch(uint64_t offset, const void* data, size_t count);
  void patch_be32(uint64_t offset, uint32_t v);

  // Flushes and reports whether every byte so far reached the file.
  Status finish();
  bool failed() const { return failed_; }
  void mark_failed() { failed_ = true; }
  // The errno of the first write the system refused; 0 when none was, also
  // when an encoder marked the file failed for a reason of its own.
  int error_number() const { return error_number_; }

 private:
  void flush();
  void note_error(int error_number);

  int fd_;
  std::string path_;
  std::vector<uint8_t> buffer_;
  uint64_t written_ = 0;
  bool failed_ = false;
  int error_number_ = 0;
};

}  // namespace pixkit
