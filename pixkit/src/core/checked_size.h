// SPDX-License-Identifier: LGPL-2.1-or-later
// Size arithmetic that refuses to overflow instead of wrapping.
#pragma once

#include <cstdint>
#include <optional>

namespace pixkit {

inline std::optional<uint64_t> checked_mul(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
  return r;
}

inline std::optional<uint64_t> checked_add(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
  return r;
}

// Bytes of one uncompressed DIB row: width * bits rounded up to 4 bytes.
inline std::optional<uint64_t> dib_row_bytes(uint64_t width, uint64_t bit_count) {
  auto bits = checked_mul(width, bit_count);
  if (!bits) return std::nullopt;
  auto padded = checked_add(*bits, 31);
  if (!padded) return std::nullopt;
  return (*padded / 32) * 4;
}

}  // namespace pixkit
