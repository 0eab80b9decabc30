// SPDX-License-Identifier: LGPL-2.1-or-later
// Reading a stretch of a RangeSource front to back with the getters of
// ByteReader. A file is read a window at a time, so a reader that walks the
// pixel data of a large file holds one window of it, not the file; bytes in
// memory already are handed out in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "byte_reader.h"
#include "range_source.h"

namespace pixkit {

class SourceReader {
 public:
  // Reads source[begin, end); end is cut to the source's size.
  SourceReader(const RangeSource& source, uint64_t begin, uint64_t end);
  // The whole source.
  explicit SourceReader(const RangeSource& source) : SourceReader(source, 0, source.size()) {}
  SourceReader(const SourceReader&) = delete;
  SourceReader& operator=(const SourceReader&) = delete;

  // Offsets are counted from begin.
  uint64_t position() const { return pos_ - begin_; }
  uint64_t size() const { return end_ - begin_; }
  uint64_t remaining() const { return end_ - pos_; }
  bool at_end() const { return pos_ >= end_; }

  bool seek(uint64_t offset) {
    if (offset > size()) return false;
    pos_ = begin_ + offset;
    return true;
  }
  bool skip(uint64_t count) {
    if (count > remaining()) return false;
    pos_ += count;
    return true;
  }

  std::optional<uint8_t> u8() {
    auto b = bytes(1);
    if (!b) return std::nullopt;
    return (*b)[0];
  }
  std::optional<uint16_t> le16() { return fixed<2>().le16(); }
  std::optional<uint32_t> le32() { return fixed<4>().le32(); }
  std::optional<uint16_t> be16() { return fixed<2>().be16(); }
  std::optional<uint32_t> be32() { return fixed<4>().be32(); }

  // The next count bytes, moving past them. The view stays valid until the
  // next call on this reader. Nothing, and the reader unmoved, when fewer
  // are left or the source fails to give them.
  std::optional<ByteSpan> bytes(size_t count);
  bool copy_to(void* out, size_t count);

 private:
  // A ByteReader over the next N bytes, empty when they are not there.
  template <size_t N>
  ByteReader fixed() {
    auto b = bytes(N);
    return ByteReader(b ? *b : ByteSpan());
  }
  // Makes [pos_, pos_ + count) part of the window.
  bool fill(size_t count);

  const RangeSource& source_;
  std::optional<ByteSpan> memory_;  // the source's bytes when in memory
  uint64_t begin_;
  uint64_t end_;
  uint64_t pos_;
  std::unique_ptr<uint8_t[]> window_;
  size_t window_capacity_ = 0;
  uint64_t window_start_ = 0;
  size_t window_length_ = 0;
};

}  // namespace pixkit
