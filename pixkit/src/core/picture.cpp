// SPDX-License-Identifier: LGPL-2.1-or-later
#include "picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "checked_size.h"
#include "limits.h"

namespace pixkit {

Result<PixelBuffer> PixelBuffer::allocate(uint64_t bytes, bool zeroed) {
  if (bytes == 0 || bytes > (uint64_t(1) << 40)) return fail_too_large("pixel memory size out of range");
  PixelBuffer buffer;
  auto* p = static_cast<uint8_t*>(zeroed ? std::calloc(size_t(bytes), 1) : std::malloc(size_t(bytes)));
  if (!p) return fail_too_large("out of memory for pixels");
  buffer.data_.reset(p);
  buffer.size_ = bytes;
  return buffer;
}

uint8_t PictureView::index_at(const uint8_t* row, int32_t x) const {
  switch (bit_count) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 15) : (row[x >> 1] >> 4);
    default:
      return row[x];
  }
}

Result<Picture> Picture::create(int32_t width, int32_t height, int bit_count, bool zeroed) {
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 && bit_count != 24 &&
      bit_count != 32)
    return fail("unsupported bit count");
  PIXKIT_TRY(check_dimensions(width, height));
  auto row_bytes = dib_row_bytes(uint64_t(width), uint64_t(bit_count));
  if (!row_bytes || *row_bytes > INT32_MAX) return fail_too_large("row too long");
  auto total = checked_mul(*row_bytes, uint64_t(height));
  if (!total) return fail_too_large("picture too large");
  auto pixels = PixelBuffer::allocate(*total, zeroed);
  if (!pixels) return pixels.as_error();
  Picture picture;
  picture.width_ = width;
  picture.height_ = height;
  picture.bit_count_ = bit_count;
  picture.row_bytes_ = int32_t(*row_bytes);
  picture.pixels_ = std::move(pixels.value());
  if (!zeroed) {
    // Padding at the end of each row is never written by readers.
    const uint64_t used = (uint64_t(width) * bit_count + 7) / 8;
    if (used < *row_bytes)
      for (int32_t y = 0; y < height; ++y) std::memset(picture.row(y) + used, 0, size_t(*row_bytes - used));
  }
  return picture;
}

PictureView Picture::view() const {
  PictureView v;
  v.width = width_;
  v.height = height_;
  v.bit_count = bit_count_;
  v.row_bytes = row_bytes_;
  v.bits = pixels_.data();
  v.palette = palette;
  v.metadata = &metadata;
  return v;
}

Result<Picture> finish_indexed(Picture picture8, IndexCheck check) {
  if (picture8.bit_count() != 8) return fail("indexed picture not at 8 bits");
  const size_t colours = picture8.palette.size();
  if (colours == 0 || colours > 256) return fail("palette size out of range");
  const int32_t w = picture8.width(), h = picture8.height();
  if (colours < 256 && check == IndexCheck::Needed) {
    // The largest index of the whole buffer in one pass without a branch
    // per pixel, which the compiler turns into wide compares; row padding
    // is zero and never decides.
    const uint8_t* p = picture8.bits();
    uint8_t largest = 0;
    for (uint64_t i = 0, n = picture8.byte_size(); i < n; ++i) largest = std::max(largest, p[i]);
    if (largest >= colours) return fail("palette index beyond the palette");
  }
  const int target = colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
  if (target == 8) return picture8;
  auto packed = Picture::create(w, h, target, true);
  if (!packed) return packed.as_error();
  // Indices are below 2 or 16 now, so each packed byte is the indices
  // shifted together, made whole and stored once: no test per pixel.
  const int32_t per_byte = 8 / target, whole = w / per_byte;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = picture8.row(y);
    uint8_t* dst = packed->row(y);
    if (target == 1) {
      for (int32_t i = 0; i < whole; ++i, src += 8)
        dst[i] = uint8_t(src[0] << 7 | src[1] << 6 | src[2] << 5 | src[3] << 4 | src[4] << 3 | src[5] << 2 |
                         src[6] << 1 | src[7]);
    } else {
      for (int32_t i = 0; i < whole; ++i, src += 2) dst[i] = uint8_t(src[0] << 4 | src[1]);
    }
    // The pixels of a last, partly used byte; bits past the width stay 0.
    for (int32_t k = 0; k < w - whole * per_byte; ++k)
      dst[whole] |= uint8_t(src[k] << (8 - target * (k + 1)));
  }
  packed->palette = std::move(picture8.palette);
  packed->metadata = std::move(picture8.metadata);
  return packed;
}

Result<Picture> drop_empty_alpha(Picture picture32) {
  if (picture32.bit_count() != 32) return picture32;
  const int32_t w = picture32.width(), h = picture32.height();
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = picture32.row(y);
    for (int32_t x = 0; x < w; ++x)
      if (row[4 * x + 3] != 0) return picture32;
  }
  auto rgb = Picture::create(w, h, 24, false);
  if (!rgb) return rgb.as_error();
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = picture32.row(y);
    uint8_t* dst = rgb->row(y);
    for (int32_t x = 0; x < w; ++x) {
      dst[3 * x] = src[4 * x];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
    }
  }
  rgb->metadata = std::move(picture32.metadata);
  return rgb;
}

void row_to_bgr24(const PictureView& view, int32_t y, uint8_t* out) {
  const uint8_t* row = view.row(y);
  const int32_t w = view.width;
  switch (view.bit_count) {
    case 24:
      std::memcpy(out, row, size_t(w) * 3);
      return;
    case 32:
      for (int32_t x = 0; x < w; ++x) {
        out[3 * x] = row[4 * x];
        out[3 * x + 1] = row[4 * x + 1];
        out[3 * x + 2] = row[4 * x + 2];
      }
      return;
    case 16:
      for (int32_t x = 0; x < w; ++x) {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        out[3 * x] = uint8_t((v & 31) << 3);
        out[3 * x + 1] = uint8_t(((v >> 5) & 31) << 3);
        out[3 * x + 2] = uint8_t(((v >> 10) & 31) << 3);
      }
      return;
    default:
      for (int32_t x = 0; x < w; ++x) {
        const uint8_t i = view.index_at(row, x);
        const Rgb c = i < view.palette.size() ? view.palette[i] : Rgb{};
        out[3 * x] = c.b;
        out[3 * x + 1] = c.g;
        out[3 * x + 2] = c.r;
      }
  }
}

void row_to_bgra32(const PictureView& view, int32_t y, uint8_t* out) {
  if (view.bit_count == 32) {
    std::memcpy(out, view.row(y), size_t(view.width) * 4);
    return;
  }
  std::vector<uint8_t> bgr(size_t(view.width) * 3);
  row_to_bgr24(view, y, bgr.data());
  for (int32_t x = 0; x < view.width; ++x) {
    out[4 * x] = bgr[3 * x];
    out[4 * x + 1] = bgr[3 * x + 1];
    out[4 * x + 2] = bgr[3 * x + 2];
    out[4 * x + 3] = 255;
  }
}

bool has_translucent_pixels(const PictureView& view) {
  if (view.bit_count != 32) return false;
  for (int32_t y = 0; y < view.height; ++y) {
    const uint8_t* row = view.row(y);
    for (int32_t x = 0; x < view.width; ++x)
      if (row[4 * x + 3] != 255) return true;
  }
  return false;
}

}  // namespace pixkit
