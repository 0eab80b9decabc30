// SPDX-License-Identifier: LGPL-2.1-or-later
#include "exif_block.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "codecs/tiff/tiff_directory_walk.h"

namespace pixkit {
namespace {

constexpr uint16_t kTagOrientation = 0x0112;
constexpr uint16_t kTagExifIfd = 0x8769;
constexpr uint16_t kTagPixelX = 0xA002;
constexpr uint16_t kTagPixelY = 0xA003;
constexpr uint16_t kTagThumbnailOffset = 0x0201;  // JPEGInterchangeFormat
constexpr uint16_t kTagThumbnailLength = 0x0202;  // JPEGInterchangeFormatLength
constexpr uint16_t kTagStripOffsets = 0x0111;     // uncompressed thumbnails
constexpr uint16_t kTagStripByteCounts = 0x0117;

// EXIF directories are rewritten in place, so each must lie wholly inside
// the block, its link to the next one included.
std::optional<TiffDirectory> read_whole_directory(const TiffDirectoryWalk& tiff, uint32_t offset) {
  auto dir = tiff.directory(offset);
  if (!dir || !dir->next) return std::nullopt;
  return dir;
}

bool overlaps(size_t a, size_t a_size, size_t b, size_t b_size) { return a < b + b_size && b < a + a_size; }

void put16(std::vector<uint8_t>& block, bool big_endian, size_t at, uint16_t v) {
  if (at + 2 > block.size()) return;
  block[at] = uint8_t(big_endian ? v >> 8 : v);
  block[at + 1] = uint8_t(big_endian ? v : v >> 8);
}

void put32(std::vector<uint8_t>& block, bool big_endian, size_t at, uint32_t v) {
  if (at + 4 > block.size()) return;
  for (int i = 0; i < 4; ++i) block[at + size_t(i)] = uint8_t(v >> (big_endian ? 24 - 8 * i : 8 * i));
}

void put_dimension(std::vector<uint8_t>& block, bool big_endian, size_t at, uint16_t type, uint32_t v) {
  if (at == 0) return;
  if (type == kTiffTypeShort)
    put16(block, big_endian, at, uint16_t(std::min<uint32_t>(v, 0xFFFF)));
  else
    put32(block, big_endian, at, v);
}

// Finds the thumbnail IFD1 points at; leaves the layout alone when IFD1 or
// its thumbnail do not lie inside the block (it is unlinked all the same).
void find_thumbnail(const TiffDirectoryWalk& tiff, uint32_t ifd1_offset, const TiffDirectory& ifd0,
                    const std::optional<TiffDirectory>& exif_ifd, ExifLayout& layout) {
  auto ifd1 = read_whole_directory(tiff, ifd1_offset);
  if (!ifd1 || overlaps(ifd1->at, ifd1->size(), ifd0.at, ifd0.size())) return;
  if (exif_ifd && overlaps(ifd1->at, ifd1->size(), exif_ifd->at, exif_ifd->size())) return;
  layout.ifd1_at = ifd1->at;
  layout.ifd1_size = ifd1->size();
  std::optional<uint32_t> jpeg_at, jpeg_size, strip_at, strip_size;
  for (const TiffEntry& e : ifd1->entries) {
    if (e.tag == kTagThumbnailOffset) jpeg_at = single_short_or_long(e);
    if (e.tag == kTagThumbnailLength) jpeg_size = single_short_or_long(e);
    if (e.tag == kTagStripOffsets) strip_at = single_short_or_long(e);
    if (e.tag == kTagStripByteCounts) strip_size = single_short_or_long(e);
  }
  if (!jpeg_at || !jpeg_size) {
    jpeg_at = strip_at;
    jpeg_size = strip_size;
  }
  if (!jpeg_at || !jpeg_size || *jpeg_at < 8 || *jpeg_size == 0) return;
  if (uint64_t(*jpeg_at) + *jpeg_size > tiff.size()) return;
  // Zeroing must not wipe the directories we rewrite.
  if (overlaps(*jpeg_at, *jpeg_size, ifd0.at, ifd0.size())) return;
  if (exif_ifd && overlaps(*jpeg_at, *jpeg_size, exif_ifd->at, exif_ifd->size())) return;
  layout.thumbnail_at = *jpeg_at;
  layout.thumbnail_size = *jpeg_size;
}

}  // namespace

Result<ExifLayout> read_exif_layout(ByteSpan block) {
  const SpanSource source(block);
  auto header = read_tiff_header(source);
  if (!header) return header.as_error();
  ExifLayout layout;
  layout.big_endian = header->big_endian;
  const TiffDirectoryWalk tiff(source, layout.big_endian);
  auto ifd0 = read_whole_directory(tiff, header->first_directory);
  if (!ifd0) return fail("exif: IFD0 outside the block");

  std::optional<TiffDirectory> exif_ifd;
  for (const TiffEntry& e : ifd0->entries) {
    if (e.tag == kTagOrientation && e.type == kTiffTypeShort && e.count == 1) {
      layout.orientation = (e.first_short >= 1 && e.first_short <= 8) ? e.first_short : 1;
      layout.orientation_at = e.value_at;
    } else if (e.tag == kTagExifIfd) {
      auto offset = single_short_or_long(e);
      if (!offset) return fail("exif: bad Exif IFD pointer");
      exif_ifd = read_whole_directory(tiff, *offset);
      if (!exif_ifd) return fail("exif: Exif IFD outside the block");
    }
  }
  if (exif_ifd) {
    // Rewriting one directory must not change the other.
    if (overlaps(exif_ifd->at, exif_ifd->size(), ifd0->at, ifd0->size()))
      return fail("exif: Exif IFD overlaps IFD0");
    for (const TiffEntry& e : exif_ifd->entries) {
      if ((e.tag != kTagPixelX && e.tag != kTagPixelY) || !single_short_or_long(e)) continue;
      (e.tag == kTagPixelX ? layout.pixel_x_at : layout.pixel_y_at) = e.value_at;
      (e.tag == kTagPixelX ? layout.pixel_x_type : layout.pixel_y_type) = e.type;
    }
  }
  layout.next_ifd_link_at = ifd0->link_at;
  const uint32_t ifd1_offset = *ifd0->next;
  if (ifd1_offset != 0) find_thumbnail(tiff, ifd1_offset, *ifd0, exif_ifd, layout);
  return layout;
}

Status make_exif_upright(std::vector<uint8_t>& block, const ExifLayout& layout, uint32_t width,
                         uint32_t height) {
  const bool be = layout.big_endian;
  if (layout.ifd1_at) std::memset(block.data() + layout.ifd1_at, 0, layout.ifd1_size);
  if (layout.thumbnail_at) std::memset(block.data() + layout.thumbnail_at, 0, layout.thumbnail_size);
  if (layout.orientation_at) put16(block, be, layout.orientation_at, 1);
  put_dimension(block, be, layout.pixel_x_at, layout.pixel_x_type, width);
  put_dimension(block, be, layout.pixel_y_at, layout.pixel_y_type, height);
  if (layout.next_ifd_link_at) put32(block, be, layout.next_ifd_link_at, 0);
  // Thumbnails usually close the block; nothing else can live inside one.
  if (layout.thumbnail_at && layout.thumbnail_at + layout.thumbnail_size == block.size())
    block.resize(layout.thumbnail_at);
  auto rewritten = read_exif_layout(block);
  if (!rewritten) return rewritten.as_error();
  if (rewritten->orientation != 1 || rewritten->next_ifd_link_at != layout.next_ifd_link_at)
    return fail("exif: fields overlap the directories");
  return {};
}

}  // namespace pixkit

namespace pixkit {

std::vector<uint8_t> upright_exif_copy(const std::vector<uint8_t>& exif, uint32_t width, uint32_t height) {
  if (exif.empty()) return {};
  auto layout = read_exif_layout(exif);
  if (!layout) return {};
  std::vector<uint8_t> block = exif;
  if (!make_exif_upright(block, layout.value(), width, height)) return {};
  return block;
}

}  // namespace pixkit
