// SPDX-License-Identifier: LGPL-2.1-or-later
// Bounds-checked reading over a byte span. Every getter reports a short read
// by returning false (or an empty optional) instead of reading past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace pixkit {

using ByteSpan = std::span<const uint8_t>;

class ByteReader {
 public:
  explicit ByteReader(ByteSpan data) : data_(data) {}

  size_t position() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return data_.size() - pos_; }
  bool at_end() const { return pos_ >= data_.size(); }
  ByteSpan whole() const { return data_; }
  ByteSpan rest() const { return data_.subspan(pos_); }

  bool seek(size_t offset) {
    if (offset > data_.size()) return false;
    pos_ = offset;
    return true;
  }
  bool skip(size_t count) {
    if (count > remaining()) return false;
    pos_ += count;
    return true;
  }

  std::optional<uint8_t> u8() {
    if (remaining() < 1) return std::nullopt;
    return data_[pos_++];
  }
  std::optional<uint16_t> le16() {
    if (remaining() < 2) return std::nullopt;
    uint16_t v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::optional<uint32_t> le32() {
    if (remaining() < 4) return std::nullopt;
    uint32_t v = uint32_t(data_[pos_]) | (uint32_t(data_[pos_ + 1]) << 8) |
                 (uint32_t(data_[pos_ + 2]) << 16) | (uint32_t(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  std::optional<uint16_t> be16() {
    if (remaining() < 2) return std::nullopt;
    uint16_t v = uint16_t((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return v;
  }
  std::optional<uint32_t> be32() {
    if (remaining() < 4) return std::nullopt;
    uint32_t v = (uint32_t(data_[pos_]) << 24) | (uint32_t(data_[pos_ + 1]) << 16) |
                 (uint32_t(data_[pos_ + 2]) << 8) | uint32_t(data_[pos_ + 3]);
    pos_ += 4;
    return v;
  }
  // A view of the next count bytes, advancing past them.
  std::optional<ByteSpan> bytes(size_t count) {
    if (count > remaining()) return std::nullopt;
    ByteSpan s = data_.subspan(pos_, count);
    pos_ += count;
    return s;
  }
  bool copy_to(void* out, size_t count) {
    if (count > remaining()) return false;
    std::memcpy(out, data_.data() + pos_, count);
    pos_ += count;
    return true;
  }

 private:
  ByteSpan data_;
  size_t pos_ = 0;
};

}  // namespace pixkit
