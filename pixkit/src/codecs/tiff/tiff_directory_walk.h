// SPDX-License-Identifier: LGPL-2.1-or-later
// The directories of a TIFF structure, as a TIFF file and a JPEG's EXIF
// block both hold them: the header's byte order and first offset, each
// directory's entries and its link to the next, and the values an entry
// holds in place. Every byte comes through a RangeSource, which refuses
// reads past its end, and is decoded from fixed-size reads, so a directory
// or value that runs past the end is simply not there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/range_source.h"
#include "core/result.h"

namespace pixkit {

inline constexpr uint16_t kTiffTypeAscii = 2;
inline constexpr uint16_t kTiffTypeShort = 3;
inline constexpr uint16_t kTiffTypeLong = 4;
inline constexpr uint16_t kTiffTypeIfd = 13;
// A directory larger than this is not an EXIF directory but noise.
inline constexpr uint16_t kMaxTiffEntries = 1000;

struct TiffHeader {
  bool big_endian = false;       // "MM"; "II" is little-endian
  uint32_t first_directory = 0;  // IFD0's offset, not yet checked
};

// The byte-order mark, 42 and IFD0's offset from the first 8 bytes. The
// texts name the EXIF block, the one caller that passes them on; the
// capture fields take any failure as "no fields".
Result<TiffHeader> read_tiff_header(const RangeSource& source);

struct TiffEntry {
  uint16_t tag = 0;
  uint16_t type = 0;                  // kTiffType*; others are kept but not read here
  uint32_t count = 0;                 // values of that type
  uint64_t value_at = 0;              // where the 4-byte value field sits
  std::array<uint8_t, 4> in_place{};  // the field as stored: up to 4 ASCII bytes
  uint16_t first_short = 0;           // the field's first SHORT
  uint32_t field_long = 0;            // the field as a LONG: the value, or its offset
};

struct TiffDirectory {
  uint64_t at = 0;                 // the entry count's offset
  std::vector<TiffEntry> entries;  // 1 .. kMaxTiffEntries
  uint64_t link_at = 0;            // where the next directory's offset follows the entries
  std::optional<uint32_t> next;    // that offset, when the link lies inside the source
  // Bytes from the count to the end of the link.
  uint64_t size() const { return link_at + 4 - at; }
};

// A count-1 SHORT or LONG held in the entry itself.
std::optional<uint32_t> single_short_or_long(const TiffEntry& entry);

class TiffDirectoryWalk {
 public:
  TiffDirectoryWalk(const RangeSource& source, bool big_endian) : source_(source), big_endian_(big_endian) {}

  uint64_t size() const { return source_.size(); }

  // The directory at offset; nothing when the offset points into the
  // header, the count is 0 or above kMaxTiffEntries, or the entries run past
  // the end. The link after them may be missing (next is then empty).
  std::optional<TiffDirectory> directory(uint64_t offset) const;

  // An ASCII value up to its first NUL, at most max_bytes of it; nothing
  // when the entry is not ASCII or its bytes are not all there.
  std::optional<std::string> ascii(const TiffEntry& entry, size_t max_bytes) const;

 private:
  const RangeSource& source_;
  bool big_endian_;
};

}  // namespace pixkit
