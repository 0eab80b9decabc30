// SPDX-License-Identifier: LGPL-2.1-or-later
#include "source_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace pixkit {
namespace {

// Bytes read from a file at a time: large enough that the system calls do
// not show, small beside any picture worth streaming.
constexpr size_t kWindowBytes = size_t(64) << 10;

}  // namespace

SourceReader::SourceReader(const RangeSource& source, uint64_t begin, uint64_t end)
    : source_(source), memory_(source.in_memory()) {
  end_ = std::min(end, source.size());
  begin_ = std::min(begin, end_);
  pos_ = begin_;
}

std::optional<ByteSpan> SourceReader::bytes(size_t count) {
  if (count > remaining()) return std::nullopt;
  if (memory_) {
    const ByteSpan s = memory_->subspan(size_t(pos_), count);
    pos_ += count;
    return s;
  }
  if (!fill(count)) return std::nullopt;
  const ByteSpan s(window_.get() + (pos_ - window_start_), count);
  pos_ += count;
  return s;
}

bool SourceReader::copy_to(void* out, size_t count) {
  auto s = bytes(count);
  if (!s) return false;
  if (count != 0) std::memcpy(out, s->data(), count);
  return true;
}

bool SourceReader::fill(size_t count) {
  if (pos_ >= window_start_ && pos_ - window_start_ + count <= window_length_) return true;
  // The window grows to the largest single request (one row of pixels at
  // most) and otherwise stays at kWindowBytes.
  const size_t wanted = std::max(count, kWindowBytes);
  const size_t length = size_t(std::min<uint64_t>(wanted, end_ - pos_));
  if (length > window_capacity_) {
    const size_t capacity = std::max(length, std::min<size_t>(kWindowBytes, size_t(end_ - begin_)));
    auto* grown = new (std::nothrow) uint8_t[capacity];
    if (!grown) return false;
    window_.reset(grown);
    window_capacity_ = capacity;
  }
  window_length_ = 0;
  if (!source_.read(pos_, window_.get(), length)) return false;
  window_start_ = pos_;
  window_length_ = length;
  return true;
}

}  // namespace pixkit
