// SPDX-License-Identifier: LGPL-2.1-or-later
#include "jp2_colour_box.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/byte_reader.h"

namespace pixkit {
namespace {

constexpr uint32_t kBoxHeaderSize = 8;       // LBox, TBox
constexpr uint32_t kHeaderBox = 0x6A703268;  // 'jp2h'
constexpr uint32_t kColourBox = 0x636F6C72;  // 'colr'
constexpr uint8_t kRestrictedIcc = 2;        // METH: the profile follows PREC and APPROX

struct Box {
  size_t start = 0;
  size_t size = 0;  // header included
};

// The first box of type inside [from, to), walking the boxes one after
// another; only the plain 32-bit lengths OpenJPEG writes are followed.
std::optional<Box> find_box(ByteSpan file, size_t from, size_t to, uint32_t type) {
  ByteReader r(file.first(to));
  if (!r.seek(from)) return std::nullopt;
  while (r.remaining() >= kBoxHeaderSize) {
    const size_t start = r.position();
    const uint32_t length = *r.be32(), box_type = *r.be32();
    if (length < kBoxHeaderSize || length > to - start) return std::nullopt;
    if (box_type == type) return Box{start, length};
    r.seek(start + length);
  }
  return std::nullopt;
}

void put_be32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  bytes[at] = uint8_t(v >> 24);
  bytes[at + 1] = uint8_t(v >> 16);
  bytes[at + 2] = uint8_t(v >> 8);
  bytes[at + 3] = uint8_t(v);
}

}  // namespace

Status put_icc_into_colour_box(std::vector<uint8_t>& file, const std::vector<uint8_t>& icc) {
  const auto header = find_box(file, 0, file.size(), kHeaderBox);
  if (!header) return fail("jp2: no header box to put the profile in");
  const auto colour =
      find_box(file, header->start + kBoxHeaderSize, header->start + header->size, kColourBox);
  if (!colour) return fail("jp2: no colour specification box");
  const uint64_t new_colour_size = uint64_t(kBoxHeaderSize) + 3 + icc.size();
  const uint64_t new_header_size = header->size - colour->size + new_colour_size;
  if (new_header_size > std::numeric_limits<uint32_t>::max()) return fail("jp2: profile too large");

  std::vector<uint8_t> box(size_t(new_colour_size), 0);
  put_be32(box, 0, uint32_t(new_colour_size));
  put_be32(box, 4, kColourBox);
  box[8] = kRestrictedIcc;  // PREC and APPROX stay 0
  std::copy(icc.begin(), icc.end(), box.begin() + kBoxHeaderSize + 3);

  const auto at = file.begin() + std::ptrdiff_t(colour->start);
  file.erase(at, at + std::ptrdiff_t(colour->size));
  file.insert(file.begin() + std::ptrdiff_t(colour->start), box.begin(), box.end());
  put_be32(file, header->start, uint32_t(new_header_size));
  return {};
}

}  // namespace pixkit
