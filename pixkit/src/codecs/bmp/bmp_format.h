// SPDX-License-Identifier: LGPL-2.1-or-later
// BMP file layout shared by the reader and the writers: header sizes,
// compression codes, and the parsed header the reader works from.
#pragma once

#include <cstdint>
#include <vector>

#include "core/byte_reader.h"
#include "core/output_file.h"
#include "core/picture.h"
#include "core/result.h"
#include "core/source_reader.h"

namespace pixkit {

inline constexpr uint16_t kBmpMagic = 0x4D42;  // "BM" read little-endian
inline constexpr uint32_t kBmpFileHeaderSize = 14;

// Info header sizes we accept. OS/2 1.x has 16-bit sides and 3-byte colour
// entries; OS/2 2.x (16 or 64 bytes) shares the first 40 bytes with the
// Windows header and adds fields nobody needs to show the picture.
inline constexpr uint32_t kCoreHeaderSize = 12;
inline constexpr uint32_t kOs2ShortHeaderSize = 16;
inline constexpr uint32_t kInfoHeaderSize = 40;
inline constexpr uint32_t kV2HeaderSize = 52;  // + red, green, blue masks
inline constexpr uint32_t kV3HeaderSize = 56;  // + alpha mask
inline constexpr uint32_t kOs2HeaderSize = 64;
inline constexpr uint32_t kV4HeaderSize = 108;  // + colour space
inline constexpr uint32_t kV5HeaderSize = 124;  // + intent, profile

// biCompression values.
inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;  // OS/2 2.x: Huffman 1D, which we refuse
inline constexpr uint32_t kBiAlphaBitfields = 6;

// Colour masks of a 16- or 32-bit picture. alpha is 0 when there is none.
struct BmpMasks {
  uint32_t red = 0;
  uint32_t green = 0;
  uint32_t blue = 0;
  uint32_t alpha = 0;
};

// What the reader needs from the headers, checked.
struct BmpHeader {
  uint32_t header_size = 0;
  int32_t width = 0;   // 1 .. limits
  int32_t height = 0;  // 1 .. limits, the sign moved to top_down
  bool top_down = false;
  int bit_count = 0;  // 1, 2, 4, 8, 16, 24, 32
  uint32_t compression = kBiRgb;
  int32_t x_pixels_per_meter = 0;
  int32_t y_pixels_per_meter = 0;
  uint32_t pixel_offset = 0;  // from the start of the file, inside it
  BmpMasks masks;             // for 16 and 32 bits
  bool has_masks = false;     // masks came from the file (bitfields)
  std::vector<Rgb> palette;   // 1 .. 2^bit_count entries for 1, 2, 4, 8 bits
};

// The most bytes the headers, masks and colour table take before the
// pixels: file header, the largest info header, three masks after a 40-byte
// one plus alpha, 256 four-byte colours.
inline constexpr size_t kMaxBmpHeadBytes = kBmpFileHeaderSize + kV5HeaderSize + 16 + 256 * 4;

// Reads and validates the file header, the info header, the masks and the
// colour table from head, the first kMaxBmpHeadBytes of a file of
// file_size bytes (all of it when it is shorter).
Result<BmpHeader> read_bmp_header(ByteSpan head, uint64_t file_size);

// RLE8 and RLE4 streams expanded into a zeroed picture of header.width x
// header.height at 1, 4 or 8 bits, every index checked against the palette;
// pixels the stream skips stay 0.
Status expand_rle8(SourceReader& stream, const BmpHeader& header, Picture& picture);
Status expand_rle4(SourceReader& stream, const BmpHeader& header, Picture& picture);

// The file header and info header for writers; the colour table and pixels
// follow. A 124-byte header carries the masks (for alpha); otherwise the
// header has 40 bytes.
struct BmpWriteLayout {
  uint32_t header_size = kInfoHeaderSize;
  BmpMasks masks;
  int32_t width = 0;
  int32_t height = 0;
  int bit_count = 0;
  uint32_t compression = kBiRgb;
  uint32_t colour_count = 0;  // entries in the colour table
  uint32_t image_bytes = 0;
  const Metadata* metadata = nullptr;
};
void write_bmp_headers(const BmpWriteLayout& layout, OutputFile& out);
void write_bmp_colour_table(std::span<const Rgb> palette, uint32_t count, OutputFile& out);

}  // namespace pixkit
