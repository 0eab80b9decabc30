// Bytes at any offset of a file or buffer, for walks that follow offsets
// through a file (TIFF directories) without reading it whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../core/byte_reader.h"

namespace pixkit {

class RangeSource {
 public:
  virtual ~RangeSource() = default;
  virtual uint64_t size() const = 0;
  // False, with out unspecified, when [offset, offset + count) is not all there.
  [[nodiscard]] virtual bool read(uint64_t offset, void* out, size_t count) const = 0;
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

 private:
  ByteSpan bytes_;
};

}  // namespace pixkit
