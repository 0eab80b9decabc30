// SPDX-License-Identifier: LGPL-2.1-or-later
// BMP and DIB reader: uncompressed 1, 2, 4, 8, 16, 24 and 32 bits, bit
// masks, RLE8 and RLE4, top-down and bottom-up. Palette pictures leave at 1,
// 4 or 8 bits by their colour count; 5-5-5 pictures stay 16 bits, other
// 16-bit layouts become 24; 32 bits stay 32 only with an alpha mask and an
// alpha that is not zero everywhere.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

#include "bmp_format.h"
#include "codecs/codecs.h"
#include "core/checked_size.h"
#include "core/progress.h"

namespace pixkit {
namespace {

// Uncompressed rows in file order, checked to lie inside the file before
// anything is allocated, then read one at a time.
class StoredRows {
 public:
  StoredRows(const RangeSource& file, const BmpHeader& header)
      : file_(file), header_(header), height_(header.height), top_down_(header.top_down) {}

  Status locate() {
    auto row_bytes = dib_row_bytes(uint64_t(header_.width), uint64_t(header_.bit_count));
    if (!row_bytes) return fail_too_large("bmp: row too long");
    auto total = checked_mul(*row_bytes, uint64_t(header_.height));
    if (!total || *total > file_.size() - header_.pixel_offset) return fail("bmp: pixel data truncated");
    row_bytes_ = size_t(*row_bytes);
    pixels_.emplace(file_, header_.pixel_offset, header_.pixel_offset + *total);
    return {};
  }

  int32_t count() const { return height_; }
  // The next row in file order.
  Result<ByteSpan> next_file_row() {
    auto row = pixels_->bytes(row_bytes_);
    if (!row) return fail("bmp: pixel data truncated");
    return *row;
  }
  // Picture row (from the top) that file row i fills.
  int32_t target_row(int32_t i) const { return top_down_ ? i : height_ - 1 - i; }

 private:
  const RangeSource& file_;
  const BmpHeader& header_;
  std::optional<SourceReader> pixels_;
  size_t row_bytes_ = 0;
  int32_t height_;
  bool top_down_;
};

// One colour channel of a masked pixel, scaled to 8 bits so that the
// largest field value becomes 255 (a 5-bit 31 and a 6-bit 63 both do).
class MaskedChannel {
 public:
  explicit MaskedChannel(uint32_t mask)
      : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), bits_(std::popcount(mask)) {}

  uint8_t scale(uint32_t pixel) const {
    const uint32_t v = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return uint8_t(v >> (bits_ - 8));
    const uint32_t top = (1u << bits_) - 1;
    return uint8_t((v * 255 + top / 2) / top);
  }

 private:
  uint32_t mask_;
  int shift_;
  int bits_;
};

void report_rows(int32_t done, int32_t total) {
  if ((done & 63) == 0 || done == total) report_progress(uint64_t(done), uint64_t(total));
}

Result<Picture> decode_indexed(StoredRows& rows, const BmpHeader& header) {
  auto picture = Picture::create(header.width, header.height, 8, false);
  if (!picture) return picture.as_error();
  const int32_t w = header.width;
  for (int32_t i = 0; i < rows.count(); ++i) {
    auto stored = rows.next_file_row();
    if (!stored) return stored.as_error();
    const ByteSpan src = *stored;
    uint8_t* dst = picture->row(rows.target_row(i));
    switch (header.bit_count) {
      case 8:
        std::memcpy(dst, src.data(), size_t(w));
        break;
      case 4:
        for (int32_t x = 0; x < w; ++x) dst[x] = (src[size_t(x) >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        break;
      case 2:
        for (int32_t x = 0; x < w; ++x) dst[x] = (src[size_t(x) >> 2] >> (6 - 2 * (x & 3))) & 3;
        break;
      default:
        for (int32_t x = 0; x < w; ++x) dst[x] = (src[size_t(x) >> 3] >> (7 - (x & 7))) & 1;
        break;
    }
    report_rows(i + 1, rows.count());
  }
  picture->palette = header.palette;
  return picture;
}

// Same layout in the file as in the picture: 24 bits, 5-5-5 words, and
// 32-bit blue, green, red, alpha.
Result<Picture> copy_rows(StoredRows& rows, const BmpHeader& header, int bit_count) {
  auto picture = Picture::create(header.width, header.height, bit_count, false);
  if (!picture) return picture.as_error();
  const size_t used = size_t(header.width) * size_t(bit_count / 8);
  for (int32_t i = 0; i < rows.count(); ++i) {
    auto stored = rows.next_file_row();
    if (!stored) return stored.as_error();
    uint8_t* dst = picture->row(rows.target_row(i));
    std::memcpy(dst, stored->data(), used);
    // Bit 15 of a 5-5-5 word is unused; keep it clear in what we hand over.
    if (bit_count == 16)
      for (size_t b = 1; b < used; b += 2) dst[b] &= 0x7F;
    report_rows(i + 1, rows.count());
  }
  return picture;
}

Result<Picture> decode_masked(StoredRows& rows, const BmpHeader& header) {
  const MaskedChannel red(header.masks.red), green(header.masks.green), blue(header.masks.blue),
      alpha(header.masks.alpha);
  const bool has_alpha = header.masks.alpha != 0;
  const int out_bytes = has_alpha ? 4 : 3;
  const int in_bytes = header.bit_count / 8;
  auto picture = Picture::create(header.width, header.height, has_alpha ? 32 : 24, false);
  if (!picture) return picture.as_error();
  for (int32_t i = 0; i < rows.count(); ++i) {
    auto stored = rows.next_file_row();
    if (!stored) return stored.as_error();
    const ByteSpan src = *stored;
    uint8_t* dst = picture->row(rows.target_row(i));
    for (int32_t x = 0; x < header.width; ++x) {
      const size_t at = size_t(x) * size_t(in_bytes);
      uint32_t pixel = uint32_t(src[at]) | (uint32_t(src[at + 1]) << 8);
      if (in_bytes == 4) pixel |= (uint32_t(src[at + 2]) << 16) | (uint32_t(src[at + 3]) << 24);
      uint8_t* out = dst + size_t(x) * size_t(out_bytes);
      out[0] = blue.scale(pixel);
      out[1] = green.scale(pixel);
      out[2] = red.scale(pixel);
      if (has_alpha) out[3] = alpha.scale(pixel);
    }
    report_rows(i + 1, rows.count());
  }
  return picture;
}

bool is_555(const BmpMasks& m) {
  return m.red == 0x7C00 && m.green == 0x03E0 && m.blue == 0x001F && !m.alpha;
}

bool is_bgra(const BmpMasks& m) {
  return m.red == 0x00FF0000 && m.green == 0x0000FF00 && m.blue == 0x000000FF && m.alpha == 0xFF000000;
}

// The picture leaves at the depth its colour count calls for, as
// finish_indexed would pack it.
Result<Picture> decode_rle(const RangeSource& file, const BmpHeader& header) {
  const size_t colours = header.palette.size();
  const int bit_count = colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
  auto picture = Picture::create(header.width, header.height, bit_count, true);
  if (!picture) return picture.as_error();
  SourceReader stream(file, header.pixel_offset, file.size());
  PIXKIT_TRY(header.compression == kBiRle8 ? expand_rle8(stream, header, *picture)
                                           : expand_rle4(stream, header, *picture));
  picture->palette = header.palette;
  return picture;
}

Result<Picture> decode_pixels(const RangeSource& file, const BmpHeader& header) {
  if (header.compression == kBiRle8 || header.compression == kBiRle4) return decode_rle(file, header);
  StoredRows rows(file, header);
  PIXKIT_TRY(rows.locate());
  switch (header.bit_count) {
    case 1:
    case 2:
    case 4:
    case 8:
      return decode_indexed(rows, header);
    case 24:
      return copy_rows(rows, header, 24);
    case 16:
      return is_555(header.masks) ? copy_rows(rows, header, 16) : decode_masked(rows, header);
    default:
      return is_bgra(header.masks) ? copy_rows(rows, header, 32) : decode_masked(rows, header);
  }
}

}  // namespace

Result<Picture> decode_bmp(const RangeSource& file) {
  // The headers and the colour table, and nothing more, before the size is
  // checked.
  std::array<uint8_t, kMaxBmpHeadBytes> head;
  const size_t head_size = size_t(std::min<uint64_t>(file.size(), head.size()));
  if (!file.read(0, head.data(), head_size)) return fail("bmp: truncated file header");
  auto header = read_bmp_header(ByteSpan(head.data(), head_size), file.size());
  if (!header) return header.as_error();
  auto picture = decode_pixels(file, *header);
  if (!picture) return picture.as_error();
  picture->metadata.x_pixels_per_meter = header->x_pixels_per_meter;
  picture->metadata.y_pixels_per_meter = header->y_pixels_per_meter;
  // RLE pictures are packed and checked as they are expanded.
  if (header->compression == kBiRle8 || header->compression == kBiRle4) return picture;
  if (header->bit_count <= 8) {
    // A palette with an entry for every value of the bit count needs no
    // check of the indices.
    const bool covered = header->palette.size() >= (size_t(1) << header->bit_count);
    return finish_indexed(std::move(picture.value()), covered ? IndexCheck::Done : IndexCheck::Needed);
  }
  // A fourth byte that is zero everywhere is padding, not transparency: many
  // writers leave it zero in opaque pictures, alpha mask or not.
  if (picture->bit_count() == 32) return drop_empty_alpha(std::move(picture.value()));
  return picture;
}

}  // namespace pixkit
