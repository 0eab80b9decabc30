// SPDX-License-Identifier: LGPL-2.1-or-later
#include "tiff_directory_walk.h"

#include <algorithm>
#include <cstring>

#include "core/fixed_bytes.h"

namespace pixkit {
namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kEntrySize = 12;

// N bytes at offset, in one checked read.
template <size_t N>
std::optional<FixedBytes<N>> read_fixed(const RangeSource& source, uint64_t offset) {
  std::array<uint8_t, N> raw;
  if (!source.read(offset, raw.data(), N)) return std::nullopt;
  ByteReader in(raw);
  return FixedBytes<N>::take(in);
}

}  // namespace

Result<TiffHeader> read_tiff_header(const RangeSource& source) {
  const auto header = read_fixed<kHeaderSize>(source, 0);
  if (!header) return fail("exif: block too short");
  TiffHeader h;
  if (header->u8<0>() == 'M' && header->u8<1>() == 'M')
    h.big_endian = true;
  else if (header->u8<0>() != 'I' || header->u8<1>() != 'I')
    return fail("exif: no byte-order mark");
  if (header->u16<2>(h.big_endian) != 42) return fail("exif: not a TIFF structure");
  h.first_directory = header->u32<4>(h.big_endian);
  return h;
}

std::optional<uint32_t> single_short_or_long(const TiffEntry& entry) {
  if (entry.count != 1) return std::nullopt;
  if (entry.type == kTiffTypeShort) return entry.first_short;
  if (entry.type == kTiffTypeLong) return entry.field_long;
  return std::nullopt;
}

std::optional<TiffDirectory> TiffDirectoryWalk::directory(uint64_t offset) const {
  // Offsets below 8 would point into the header.
  if (offset < kHeaderSize) return std::nullopt;
  const auto count_bytes = read_fixed<2>(source_, offset);
  if (!count_bytes) return std::nullopt;
  const uint16_t count = count_bytes->u16<0>(big_endian_);
  if (count == 0 || count > kMaxTiffEntries) return std::nullopt;
  // All entries in one read: a file source pays one system call, not one
  // per entry.
  std::vector<uint8_t> raw(kEntrySize * count);
  if (!source_.read(offset + 2, raw.data(), raw.size())) return std::nullopt;

  TiffDirectory dir;
  dir.at = offset;
  dir.entries.reserve(count);
  ByteReader in(raw);
  for (uint64_t at = offset + 2; at < offset + 2 + raw.size(); at += kEntrySize) {
    const auto bytes = FixedBytes<kEntrySize>::take(in);
    if (!bytes) return std::nullopt;  // cannot happen: raw was sized for every entry
    TiffEntry entry;
    entry.tag = bytes->u16<0>(big_endian_);
    entry.type = bytes->u16<2>(big_endian_);
    entry.count = bytes->u32<4>(big_endian_);
    entry.value_at = at + 8;
    const auto field = bytes->span<8, 4>();
    std::copy(field.begin(), field.end(), entry.in_place.begin());
    entry.first_short = bytes->u16<8>(big_endian_);
    entry.field_long = bytes->u32<8>(big_endian_);
    dir.entries.push_back(entry);
  }
  dir.link_at = offset + 2 + raw.size();
  if (const auto link = read_fixed<4>(source_, dir.link_at)) dir.next = link->u32<0>(big_endian_);
  return dir;
}

std::optional<std::string> TiffDirectoryWalk::ascii(const TiffEntry& entry, size_t max_bytes) const {
  if (entry.type != kTiffTypeAscii || entry.count == 0) return std::nullopt;
  const size_t length = entry.count < max_bytes ? entry.count : max_bytes;
  std::string text(length, '\0');
  if (entry.count <= entry.in_place.size()) {
    std::copy_n(entry.in_place.begin(), length, text.begin());
  } else if (!source_.read(entry.field_long, text.data(), length)) {
    return std::nullopt;
  }
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace pixkit
