// SPDX-License-Identifier: LGPL-2.1-or-later
// Uncompressed BMP writer: the picture's own bit count, rows bottom-up and
// padded to 4 bytes, a colour table of 2^bits entries for palette pictures.
// 32-bit pictures get a BITMAPV5 header with an alpha mask, the layout that
// other readers take as "this fourth byte is alpha".
#include "bmp_format.h"
#include "codecs/codecs.h"
#include "core/checked_size.h"
#include "core/progress.h"

namespace pixkit {
namespace {

inline constexpr uint32_t kColourSpaceSrgb = 0x73524742;  // 'sRGB'
inline constexpr uint32_t kIntentImages = 4;              // LCS_GM_IMAGES: perceptual

bool is_writable_bit_count(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

void write_v5_tail(const BmpMasks& masks, OutputFile& out) {
  out.le32(masks.red);
  out.le32(masks.green);
  out.le32(masks.blue);
  out.le32(masks.alpha);
  out.le32(kColourSpaceSrgb);
  out.fill(0, 36 + 12);  // colour space end points and gamma: unused with sRGB
  out.le32(kIntentImages);
  out.le32(0);  // profile offset
  out.le32(0);  // profile size
  out.le32(0);  // reserved
}

}  // namespace

void write_bmp_headers(const BmpWriteLayout& layout, OutputFile& out) {
  const uint32_t offset = kBmpFileHeaderSize + layout.header_size + layout.colour_count * 4;
  const int32_t x_ppm = layout.metadata ? layout.metadata->x_pixels_per_meter : 0;
  const int32_t y_ppm = layout.metadata ? layout.metadata->y_pixels_per_meter : 0;
  out.le16(kBmpMagic);
  out.le32(offset + layout.image_bytes);  // bfSize
  out.le32(0);                            // bfReserved1, bfReserved2
  out.le32(offset);                       // bfOffBits
  out.le32(layout.header_size);
  out.le32(uint32_t(layout.width));
  out.le32(uint32_t(layout.height));  // positive: bottom-up
  out.le16(1);                        // planes
  out.le16(uint16_t(layout.bit_count));
  out.le32(layout.compression);
  out.le32(layout.image_bytes);
  out.le32(uint32_t(x_ppm > 0 ? x_ppm : 0));
  out.le32(uint32_t(y_ppm > 0 ? y_ppm : 0));
  out.le32(layout.colour_count);  // biClrUsed
  out.le32(0);                    // biClrImportant: all
  if (layout.header_size == kV5HeaderSize) write_v5_tail(layout.masks, out);
}

void write_bmp_colour_table(std::span<const Rgb> palette, uint32_t count, OutputFile& out) {
  for (uint32_t i = 0; i < count; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{};
    const uint8_t entry[4] = {c.b, c.g, c.r, 0};
    out.write(entry, 4);
  }
}

Status encode_bmp(const PictureView& picture, OutputFile& out) {
  const int bits = picture.bit_count;
  if (!is_writable_bit_count(bits)) return fail("bmp: unsupported bit count");
  if (picture.width < 1 || picture.height < 1) return fail("bmp: picture has no pixels");
  auto row_bytes = dib_row_bytes(uint64_t(picture.width), uint64_t(bits));
  if (!row_bytes) return fail("bmp: row too long");
  auto image_bytes = checked_mul(*row_bytes, uint64_t(picture.height));
  // bfSize is 32 bits wide; leave room for the headers and the table.
  if (!image_bytes || *image_bytes > UINT32_MAX - 2048) return fail("bmp: picture too large for a BMP file");

  BmpWriteLayout layout;
  layout.width = picture.width;
  layout.height = picture.height;
  layout.bit_count = bits;
  layout.colour_count = bits <= 8 ? 1u << bits : 0;
  layout.image_bytes = uint32_t(*image_bytes);
  layout.metadata = picture.metadata;
  if (bits == 32) {
    layout.header_size = kV5HeaderSize;
    layout.compression = kBiBitfields;
    layout.masks = BmpMasks{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  }
  write_bmp_headers(layout, out);
  write_bmp_colour_table(picture.palette, layout.colour_count, out);

  // Bottom row first; the used bytes of each row, then zero padding.
  const size_t used = (size_t(picture.width) * size_t(bits) + 7) / 8;
  for (int32_t r = 0; r < picture.height; ++r) {
    out.write(picture.row(picture.height - 1 - r), used);
    out.fill(0, size_t(*row_bytes) - used);
    if ((r & 63) == 63) report_progress(uint64_t(r) + 1, uint64_t(picture.height));
    if (out.failed()) return fail("bmp: write failed");
  }
  return {};
}

}  // namespace pixkit
