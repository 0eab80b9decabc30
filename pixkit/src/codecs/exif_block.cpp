#include "exif_block.h"

#include <algorithm>
#include <cstring>
#include <optional>

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
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr size_t kEntrySize = 12;
// A directory larger than this is not an EXIF directory but noise.
constexpr uint16_t kMaxEntries = 1000;

struct Entry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  size_t value_at;  // where the 4-byte value field sits
};

class TiffReader {
 public:
  TiffReader(ByteSpan block, bool big_endian) : reader_(block), big_endian_(big_endian) {}

  std::optional<uint16_t> u16_at(size_t offset) {
    if (!reader_.seek(offset)) return std::nullopt;
    return big_endian_ ? reader_.be16() : reader_.le16();
  }
  std::optional<uint32_t> u32_at(size_t offset) {
    if (!reader_.seek(offset)) return std::nullopt;
    return big_endian_ ? reader_.be32() : reader_.le32();
  }
  // A SHORT or LONG count-1 value held in the entry itself.
  std::optional<uint32_t> inline_value(const Entry& e) {
    if (e.count != 1) return std::nullopt;
    if (e.type == kTypeShort) return u16_at(e.value_at);
    if (e.type == kTypeLong) return u32_at(e.value_at);
    return std::nullopt;
  }
  size_t size() const { return reader_.size(); }

 private:
  ByteReader reader_;
  bool big_endian_;
};

struct Directory {
  size_t at = 0;
  uint16_t count = 0;
  size_t link_at = 0;  // the next-IFD offset after the entries
  size_t size() const { return 2 + kEntrySize * count + 4; }
};

std::optional<Directory> read_directory(TiffReader& tiff, uint32_t offset) {
  // Offsets below 8 would point into the header.
  if (offset < 8 || offset >= tiff.size()) return std::nullopt;
  auto count = tiff.u16_at(offset);
  if (!count || *count == 0 || *count > kMaxEntries) return std::nullopt;
  Directory dir{offset, *count, offset + 2 + kEntrySize * *count};
  if (dir.link_at + 4 > tiff.size()) return std::nullopt;
  return dir;
}

Entry entry_of(TiffReader& tiff, const Directory& dir, uint16_t i) {
  const size_t at = dir.at + 2 + kEntrySize * i;
  // In bounds: read_directory checked the whole directory.
  return Entry{*tiff.u16_at(at), *tiff.u16_at(at + 2), *tiff.u32_at(at + 4), at + 8};
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
  if (type == kTypeShort)
    put16(block, big_endian, at, uint16_t(std::min<uint32_t>(v, 0xFFFF)));
  else
    put32(block, big_endian, at, v);
}

// Finds the thumbnail IFD1 points at; leaves the layout alone when IFD1 or
// its thumbnail do not lie inside the block (it is unlinked all the same).
void find_thumbnail(TiffReader& tiff, uint32_t ifd1_offset, const Directory& ifd0,
                    const std::optional<Directory>& exif_ifd, ExifLayout& layout) {
  auto ifd1 = read_directory(tiff, ifd1_offset);
  if (!ifd1 || overlaps(ifd1->at, ifd1->size(), ifd0.at, ifd0.size())) return;
  if (exif_ifd && overlaps(ifd1->at, ifd1->size(), exif_ifd->at, exif_ifd->size())) return;
  layout.ifd1_at = ifd1->at;
  layout.ifd1_size = ifd1->size();
  std::optional<uint32_t> jpeg_at, jpeg_size, strip_at, strip_size;
  for (uint16_t i = 0; i < ifd1->count; ++i) {
    const Entry e = entry_of(tiff, *ifd1, i);
    if (e.tag == kTagThumbnailOffset) jpeg_at = tiff.inline_value(e);
    if (e.tag == kTagThumbnailLength) jpeg_size = tiff.inline_value(e);
    if (e.tag == kTagStripOffsets) strip_at = tiff.inline_value(e);
    if (e.tag == kTagStripByteCounts) strip_size = tiff.inline_value(e);
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
  ExifLayout layout;
  if (block.size() < 8) return fail("exif: block too short");
  if (block[0] == 'M' && block[1] == 'M')
    layout.big_endian = true;
  else if (block[0] != 'I' || block[1] != 'I')
    return fail("exif: no byte-order mark");
  TiffReader tiff(block, layout.big_endian);
  if (*tiff.u16_at(2) != 42) return fail("exif: not a TIFF structure");
  auto ifd0 = read_directory(tiff, *tiff.u32_at(4));
  if (!ifd0) return fail("exif: IFD0 outside the block");

  std::optional<Directory> exif_ifd;
  for (uint16_t i = 0; i < ifd0->count; ++i) {
    const Entry e = entry_of(tiff, *ifd0, i);
    if (e.tag == kTagOrientation && e.type == kTypeShort && e.count == 1) {
      const uint16_t value = *tiff.u16_at(e.value_at);
      layout.orientation = (value >= 1 && value <= 8) ? value : 1;
      layout.orientation_at = e.value_at;
    } else if (e.tag == kTagExifIfd) {
      auto offset = tiff.inline_value(e);
      if (!offset) return fail("exif: bad Exif IFD pointer");
      exif_ifd = read_directory(tiff, *offset);
      if (!exif_ifd) return fail("exif: Exif IFD outside the block");
    }
  }
  if (exif_ifd) {
    // Rewriting one directory must not change the other.
    if (overlaps(exif_ifd->at, exif_ifd->size(), ifd0->at, ifd0->size()))
      return fail("exif: Exif IFD overlaps IFD0");
    for (uint16_t i = 0; i < exif_ifd->count; ++i) {
      const Entry e = entry_of(tiff, *exif_ifd, i);
      if ((e.tag != kTagPixelX && e.tag != kTagPixelY) || !tiff.inline_value(e)) continue;
      (e.tag == kTagPixelX ? layout.pixel_x_at : layout.pixel_y_at) = e.value_at;
      (e.tag == kTagPixelX ? layout.pixel_x_type : layout.pixel_y_type) = e.type;
    }
  }
  layout.next_ifd_link_at = ifd0->link_at;
  const uint32_t ifd1_offset = *tiff.u32_at(ifd0->link_at);
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
