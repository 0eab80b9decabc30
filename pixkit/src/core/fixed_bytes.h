// SPDX-License-Identifier: LGPL-2.1-or-later
// A fixed-size header or record taken from a ByteReader in one checked read,
// with getters at fixed offsets. The offsets are template arguments checked
// against the size when the program is built, so once the one read has
// succeeded no field access can fail or reach past the bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "byte_reader.h"

namespace pixkit {

template <size_t N>
class FixedBytes {
 public:
  // The next N bytes of in (a ByteReader or a SourceReader), which moves
  // past them; nothing, and in unmoved, when fewer are left.
  template <class Reader>
  static std::optional<FixedBytes> take(Reader& in) {
    FixedBytes fixed;
    if (!in.copy_to(fixed.bytes_.data(), N)) return std::nullopt;
    return fixed;
  }

  template <size_t At, size_t Count>
  std::span<const uint8_t, Count> span() const {
    static_assert(At + Count <= N, "field past the end of the fixed bytes");
    return std::span<const uint8_t, N>(bytes_).template subspan<At, Count>();
  }

  template <size_t At>
  uint8_t u8() const {
    return span<At, 1>()[0];
  }
  // The reads below cannot fail: span() has checked that the field fits.
  template <size_t At>
  uint16_t le16() const {
    return *field<At, 2>().le16();
  }
  template <size_t At>
  uint16_t be16() const {
    return *field<At, 2>().be16();
  }
  template <size_t At>
  uint32_t le32() const {
    return *field<At, 4>().le32();
  }
  template <size_t At>
  uint32_t be32() const {
    return *field<At, 4>().be32();
  }
  // For structures that state their byte order, as TIFF does.
  template <size_t At>
  uint16_t u16(bool big_endian) const {
    return big_endian ? be16<At>() : le16<At>();
  }
  template <size_t At>
  uint32_t u32(bool big_endian) const {
    return big_endian ? be32<At>() : le32<At>();
  }

 private:
  template <size_t At, size_t Count>
  ByteReader field() const {
    return ByteReader(span<At, Count>());
  }

  std::array<uint8_t, N> bytes_{};
};

}  // namespace pixkit
