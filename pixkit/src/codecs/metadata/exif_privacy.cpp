// SPDX-License-Identifier: LGPL-2.1-or-later
// Entries are removed by moving the later entries of their directory up
// and writing the directory's link after the last one; the block keeps its
// size, so no offset anywhere else changes. Values of removed entries that
// live outside the directory are zeroed where they do not share bytes with
// a directory that stays.
#include "exif_privacy.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "codecs/tiff/tiff_directory_walk.h"
#include "exif_block.h"

namespace pixkit {
namespace {

constexpr uint16_t kTagExifIfd = 0x8769;
constexpr uint16_t kTagGpsIfd = 0x8825;
constexpr uint16_t kTagCameraSerial = 0xC62F;
constexpr uint16_t kTagBodySerial = 0xA431;
constexpr uint16_t kTagLensSerial = 0xA435;
constexpr size_t kEntryBytes = 12;

size_t type_size(uint16_t type) {
  switch (type) {
    case 1:
    case 2:
    case 6:
    case 7:
      return 1;
    case 3:
    case 8:
      return 2;
    case 4:
    case 9:
    case 11:
    case 13:
      return 4;
    case 5:
    case 10:
    case 12:
      return 8;
    default:
      return 0;
  }
}

struct Range {
  uint64_t at = 0, size = 0;
  bool overlaps(uint64_t a, uint64_t n) const { return a < at + size && at < a + n; }
};

// Zeroes the value of entry when it lies outside the entry and clear of
// every range in keep.
void zero_value(std::vector<uint8_t>& block, const TiffEntry& entry, const std::vector<Range>& keep) {
  const uint64_t bytes = uint64_t(entry.count) * type_size(entry.type);
  if (bytes <= 4 || entry.field_long < 8) return;
  const uint64_t at = entry.field_long;
  if (at + bytes > block.size()) return;
  for (const Range& r : keep)
    if (r.overlaps(at, bytes)) return;
  std::memset(block.data() + at, 0, size_t(bytes));
}

// Rewrites dir without the entries whose tags remove() picks.
template <typename Remove>
void drop_entries(std::vector<uint8_t>& block, const TiffDirectory& dir, bool big_endian, Remove remove) {
  std::vector<uint8_t> kept;
  uint16_t count = 0;
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    if (remove(dir.entries[i].tag)) continue;
    const uint8_t* entry = block.data() + dir.at + 2 + i * kEntryBytes;
    kept.insert(kept.end(), entry, entry + kEntryBytes);
    ++count;
  }
  if (count == dir.entries.size()) return;
  const uint32_t link = dir.next.value_or(0);
  uint8_t* out = block.data() + dir.at;
  const uint64_t old_size = dir.size();
  std::memset(out, 0, size_t(old_size));
  out[0] = uint8_t(big_endian ? count >> 8 : count);
  out[1] = uint8_t(big_endian ? count : count >> 8);
  std::memcpy(out + 2, kept.data(), kept.size());
  uint8_t* link_out = out + 2 + kept.size();
  for (int i = 0; i < 4; ++i) link_out[i] = uint8_t(link >> (big_endian ? 24 - 8 * i : 8 * i));
}

}  // namespace

Status remove_gps_and_serials(std::vector<uint8_t>& block) {
  const SpanSource source(block);
  auto header = read_tiff_header(source);
  if (!header) return header.as_error();
  const bool be = header->big_endian;
  const TiffDirectoryWalk tiff(source, be);
  const std::optional<TiffDirectory> ifd0 = tiff.directory(header->first_directory);
  if (!ifd0 || !ifd0->next) return fail("exif: IFD0 outside the block");
  std::optional<TiffDirectory> exif_ifd, gps_ifd;
  for (const TiffEntry& e : ifd0->entries) {
    if (e.tag == kTagExifIfd)
      if (auto offset = single_short_or_long(e)) exif_ifd = tiff.directory(*offset);
    if (e.tag == kTagGpsIfd) {
      auto offset = single_short_or_long(e);
      if (!offset && e.type == kTiffTypeIfd && e.count == 1) offset = e.field_long;
      if (offset) gps_ifd = tiff.directory(*offset);
    }
  }
  if (exif_ifd && !exif_ifd->next) return fail("exif: Exif IFD outside the block");
  std::vector<Range> keep{{ifd0->at, ifd0->size()}};
  if (exif_ifd) keep.push_back({exif_ifd->at, exif_ifd->size()});
  if (gps_ifd && (keep[0].overlaps(gps_ifd->at, gps_ifd->size()) ||
                  (exif_ifd && keep[1].overlaps(gps_ifd->at, gps_ifd->size()))))
    return fail("exif: GPS IFD overlaps another directory");

  // The values first, while the directories still say where they are.
  if (gps_ifd) {
    for (const TiffEntry& e : gps_ifd->entries) zero_value(block, e, keep);
    const uint64_t size = gps_ifd->next ? gps_ifd->size() : gps_ifd->link_at - gps_ifd->at;
    std::memset(block.data() + gps_ifd->at, 0, size_t(size));
  }
  for (const TiffEntry& e : ifd0->entries)
    if (e.tag == kTagCameraSerial) zero_value(block, e, keep);
  if (exif_ifd)
    for (const TiffEntry& e : exif_ifd->entries)
      if (e.tag == kTagBodySerial || e.tag == kTagLensSerial) zero_value(block, e, keep);

  drop_entries(block, *ifd0, be, [](uint16_t tag) { return tag == kTagGpsIfd || tag == kTagCameraSerial; });
  if (exif_ifd)
    drop_entries(block, *exif_ifd, be,
                 [](uint16_t tag) { return tag == kTagBodySerial || tag == kTagLensSerial; });
  auto check = read_exif_layout(block);
  if (!check) return check.as_error();
  return {};
}

}  // namespace pixkit
