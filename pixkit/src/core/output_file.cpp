// SPDX-License-Identifier: LGPL-2.1-or-later
#include "output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pixkit {
namespace {
constexpr size_t kBufferSize = 1 << 16;

// 0 when every byte was written, else the errno of the failure.
int write_all(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno != 0 ? errno : EIO;
    }
    if (w == 0) return ENOSPC;
    p += w;
    n -= size_t(w);
  }
  return 0;
}
}  // namespace

OutputFile::OutputFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
  buffer_.reserve(kBufferSize);
}

OutputFile::~OutputFile() = default;

void OutputFile::flush() {
  if (buffer_.empty()) return;
  if (!failed_) note_error(write_all(fd_, buffer_.data(), buffer_.size()));
  written_ += buffer_.size();
  buffer_.clear();
}

void OutputFile::write(const void* data, size_t count) {
  if (failed_) return;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (count >= kBufferSize) {
    flush();
    if (!failed_) note_error(write_all(fd_, p, count));
    written_ += count;
    return;
  }
  if (buffer_.size() + count > kBufferSize) flush();
  buffer_.insert(buffer_.end(), p, p + count);
}

void OutputFile::le16(uint16_t v) {
  uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
  write(b, 2);
}
void OutputFile::le32(uint32_t v) {
  uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  write(b, 4);
}
void OutputFile::be16(uint16_t v) {
  uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
  write(b, 2);
}
void OutputFile::be32(uint32_t v) {
  uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  write(b, 4);
}
void OutputFile::fill(uint8_t value, size_t count) {
  uint8_t chunk[256];
  std::memset(chunk, value, sizeof chunk);
  while (count > 0) {
    size_t n = count < sizeof chunk ? count : sizeof chunk;
    write(chunk, n);
    count -= n;
  }
}

void OutputFile::patch(uint64_t offset, const void* data, size_t count) {
  flush();
  if (failed_) return;
  if (offset + count > written_) {
    failed_ = true;
    return;
  }
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (count > 0) {
    ssize_t w = ::pwrite(fd_, p, count, off_t(offset));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      note_error(w < 0 && errno != 0 ? errno : EIO);
      return;
    }
    p += w;
    offset += uint64_t(w);
    count -= size_t(w);
  }
}

void OutputFile::patch_be32(uint64_t offset, uint32_t v) {
  uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  patch(offset, b, 4);
}

void OutputFile::note_error(int error_number) {
  if (error_number == 0) return;
  if (!failed_) error_number_ = error_number;
  failed_ = true;
}

Status OutputFile::finish() {
  flush();
  if (failed_) return fail("write to the file failed");
  return {};
}

}  // namespace pixkit
