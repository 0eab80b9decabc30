// SPDX-License-Identifier: LGPL-2.1-or-later
// Bytes at any offset of a file or buffer. Readers take their input through
// this, so that a file is read as far as the picture needs and no further:
// a header that the limits refuse costs the header, not the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "byte_reader.h"

namespace pixkit {

class RangeSource {
 public:
  virtual ~RangeSource() = default;
  virtual uint64_t size() const = 0;
  // False, with out unspecified, when [offset, offset + count) is not all there.
  [[nodiscard]] virtual bool read(uint64_t offset, void* out, size_t count) const = 0;
  // All the bytes when they are in memory already, so that readers can look
  // at them in place instead of copying.
  virtual std::optional<ByteSpan> in_memory() const { return std::nullopt; }
};

class SpanSource : public RangeSource {
 public:
  explicit SpanSource(ByteSpan bytes) : bytes_(bytes) {}
  uint64_t size() const override { return bytes_.size(); }
  bool read(uint64_t offset, void* out, size_t count) const override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    if (count != 0) std::memcpy(out, bytes_.data() + offset, count);
    return true;
  }
  std::optional<ByteSpan> in_memory() const override { return bytes_; }

 private:
  ByteSpan bytes_;
};

}  // namespace pixkit
