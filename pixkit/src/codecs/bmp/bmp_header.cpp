// SPDX-License-Identifier: LGPL-2.1-or-later
// Reading and checking the headers of a BMP file: the 14-byte file header,
// one of the info header variants, the colour masks and the colour table.
#include <algorithm>
#include <bit>
#include <climits>

#include "bmp_format.h"
#include "core/limits.h"

namespace pixkit {
namespace {

// The info header fields as they stand in the file, before any check.
struct RawInfoHeader {
  uint32_t size = 0;
  int64_t width = 0;   // OS/2 1.x: unsigned 16 bits; else signed 32 bits
  int64_t height = 0;  // negative: rows stored top-down
  uint32_t bit_count = 0;
  uint32_t compression = kBiRgb;
  int32_t x_pixels_per_meter = 0;
  int32_t y_pixels_per_meter = 0;
  uint32_t colours_used = 0;  // 0: 2^bit_count
  BmpMasks masks;             // from headers of 52 bytes and more
};

bool is_known_header_size(uint32_t size) {
  switch (size) {
    case kCoreHeaderSize:
    case kOs2ShortHeaderSize:
    case kInfoHeaderSize:
    case kV2HeaderSize:
    case kV3HeaderSize:
    case kOs2HeaderSize:
    case kV4HeaderSize:
    case kV5HeaderSize:
      return true;
    default:
      return false;
  }
}

bool is_os2_v2(uint32_t size) { return size == kOs2ShortHeaderSize || size == kOs2HeaderSize; }

Result<RawInfoHeader> read_info_header(ByteReader& file) {
  RawInfoHeader raw;
  auto size = file.le32();
  if (!size) return fail("bmp: truncated info header");
  raw.size = *size;
  if (!is_known_header_size(raw.size)) return fail("bmp: unknown info header size");
  auto body = file.bytes(raw.size - 4);
  if (!body) return fail("bmp: truncated info header");
  ByteReader r(*body);

  if (raw.size == kCoreHeaderSize) {
    raw.width = *r.le16();
    raw.height = *r.le16();
    r.skip(2);  // planes
    raw.bit_count = *r.le16();
    return raw;
  }
  // Every remaining size holds at least width, height, planes, bit count;
  // the later fields are read while the header has room for them (OS/2 2.x
  // headers of 16 bytes stop after the bit count).
  raw.width = int32_t(*r.le32());
  raw.height = int32_t(*r.le32());
  r.skip(2);  // planes: 1 in every sane file, and nothing depends on it
  raw.bit_count = *r.le16();
  if (r.remaining() < 24) return raw;
  raw.compression = *r.le32();
  r.skip(4);  // biSizeImage: often 0 or wrong, the pixel data is sized from the header
  raw.x_pixels_per_meter = int32_t(*r.le32());
  raw.y_pixels_per_meter = int32_t(*r.le32());
  raw.colours_used = *r.le32();
  r.skip(4);  // biClrImportant
  if (is_os2_v2(raw.size) || r.remaining() < 12) return raw;
  raw.masks.red = *r.le32();
  raw.masks.green = *r.le32();
  raw.masks.blue = *r.le32();
  if (r.remaining() >= 4) raw.masks.alpha = *r.le32();
  return raw;
}

Status validate_info_header(const RawInfoHeader& raw, BmpHeader& header) {
  if (raw.width < 1) return fail("bmp: width below 1");
  if (raw.height == 0) return fail("bmp: height is zero");
  if (raw.height == INT32_MIN) return fail("bmp: height out of range");
  const int64_t height = raw.height < 0 ? -raw.height : raw.height;
  PIXKIT_TRY(check_dimensions(raw.width, height));

  switch (raw.bit_count) {
    case 1:
    case 2:  // not in the original format, but Windows CE wrote it and viewers read it
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return fail("bmp: unsupported bit count");
  }
  switch (raw.compression) {
    case kBiRgb:
      break;
    case kBiRle8:
      if (raw.bit_count != 8) return fail("bmp: rle8 needs 8 bits per pixel");
      break;
    case kBiRle4:
      if (raw.bit_count != 4) return fail("bmp: rle4 needs 4 bits per pixel");
      break;
    case kBiBitfields:
      if (is_os2_v2(raw.size)) return fail("bmp: os/2 huffman compression not supported");
      [[fallthrough]];
    case kBiAlphaBitfields:
      if (raw.bit_count != 16 && raw.bit_count != 32) return fail("bmp: bit masks need 16 or 32 bits");
      break;
    default:
      return fail("bmp: unsupported compression");
  }
  header.header_size = raw.size;
  header.width = int32_t(raw.width);
  header.height = int32_t(height);
  header.top_down = raw.height < 0;
  header.bit_count = int(raw.bit_count);
  header.compression = raw.compression;
  header.x_pixels_per_meter = std::max(raw.x_pixels_per_meter, 0);
  header.y_pixels_per_meter = std::max(raw.y_pixels_per_meter, 0);
  return {};
}

// A mask must be one run of set bits inside the pixel; the colour masks
// must be nonzero, and no two masks may share a bit.
Status validate_masks(const BmpMasks& m, int bit_count) {
  if (m.red == 0 || m.green == 0 || m.blue == 0) return fail("bmp: colour bit mask is zero");
  const uint64_t pixel_bits = bit_count == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  for (uint32_t mask : {m.red, m.green, m.blue, m.alpha}) {
    if (mask & ~pixel_bits) return fail("bmp: bit mask wider than the pixel");
    const uint64_t shifted = uint64_t(mask) >> (mask ? std::countr_zero(mask) : 0);
    if (shifted & (shifted + 1)) return fail("bmp: bit mask not contiguous");
  }
  if ((m.red & m.green) || (m.red & m.blue) || (m.green & m.blue) || (m.alpha & (m.red | m.green | m.blue)))
    return fail("bmp: bit masks overlap");
  return {};
}

Status read_masks(ByteReader& file, const RawInfoHeader& raw, uint32_t pixel_offset, BmpHeader& header) {
  if (header.bit_count != 16 && header.bit_count != 32) return {};
  if (header.compression == kBiRgb) {
    // Uncompressed 16 bits are 5-5-5; 32 bits are blue, green, red and a
    // fourth byte of padding. Only a header with an alpha mask field
    // (56 bytes and more) can say that this byte is alpha; other writers
    // leave whatever was in memory there.
    header.masks = header.bit_count == 16 ? BmpMasks{0x7C00, 0x03E0, 0x001F, 0}
                                          : BmpMasks{0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    if (header.bit_count == 32 && raw.size >= kV3HeaderSize && !is_os2_v2(raw.size) &&
        raw.masks.alpha == 0xFF000000)
      header.masks.alpha = raw.masks.alpha;
    return {};
  }
  if (raw.size >= kV2HeaderSize) {
    header.masks = raw.masks;
  } else {
    // A 40-byte header keeps its masks right after it. Writers of 32-bit
    // pictures with alpha put a fourth (alpha) mask there too, with
    // BI_BITFIELDS as well as BI_ALPHABITFIELDS; the pixel offset shows
    // whether it is there.
    auto red = file.le32(), green = file.le32(), blue = file.le32();
    if (!red || !green || !blue) return fail("bmp: truncated bit masks");
    header.masks = BmpMasks{*red, *green, *blue, 0};
    if (header.compression == kBiAlphaBitfields) {
      auto alpha = file.le32();
      if (!alpha) return fail("bmp: truncated bit masks");
      header.masks.alpha = *alpha;
    } else if (header.bit_count == 32 && pixel_offset >= file.position() + 4) {
      // Anything else in that place (a stray colour table) is not a mask.
      BmpMasks with_alpha = header.masks;
      with_alpha.alpha = file.le32().value_or(0);
      if (with_alpha.alpha != 0 && validate_masks(with_alpha, 32).ok()) header.masks = with_alpha;
    }
  }
  header.has_masks = true;
  return validate_masks(header.masks, header.bit_count);
}

Status read_colour_table(ByteReader& file, const RawInfoHeader& raw, BmpHeader& header) {
  if (header.bit_count > 8) return {};
  const uint32_t most = 1u << header.bit_count;
  const uint32_t entry_size = raw.size == kCoreHeaderSize ? 3 : 4;
  uint32_t count =
      raw.colours_used == 0 || raw.size == kCoreHeaderSize ? most : std::min(raw.colours_used, most);
  // Some writers put fewer entries than they announce and start the pixels
  // right after them; the pixel offset bounds the table.
  count = uint32_t(std::min<uint64_t>(count, (header.pixel_offset - file.position()) / entry_size));
  if (count == 0) return fail("bmp: colour table missing");
  auto table = file.bytes(size_t(count) * entry_size);
  if (!table) return fail("bmp: colour table beyond the file");
  header.palette.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const auto entry = table->subspan(size_t(i) * entry_size, 3);
    header.palette[i] = Rgb{entry[2], entry[1], entry[0]};
  }
  return {};
}

}  // namespace

Result<BmpHeader> read_bmp_header(ByteSpan head, uint64_t file_size) {
  ByteReader r(head);
  auto magic = r.le16();
  if (!magic || *magic != kBmpMagic) return fail("bmp: not a BMP file");
  // bfSize is wrong in many files and nothing needs it; two reserved words.
  if (!r.skip(8)) return fail("bmp: truncated file header");
  auto offset = r.le32();
  if (!offset) return fail("bmp: truncated file header");

  auto raw = read_info_header(r);
  if (!raw) return raw.as_error();
  BmpHeader header;
  PIXKIT_TRY(validate_info_header(*raw, header));
  PIXKIT_TRY(read_masks(r, *raw, *offset, header));

  header.pixel_offset = *offset;
  if (header.pixel_offset < r.position()) return fail("bmp: pixel offset inside the headers");
  if (header.pixel_offset > file_size) return fail("bmp: pixel offset beyond the file");
  PIXKIT_TRY(read_colour_table(r, *raw, header));
  return header;
}

}  // namespace pixkit
