// SPDX-License-Identifier: LGPL-2.1-or-later
// A decoded picture in DIB layout: rows bottom-up, RowBytes a multiple of 4,
// 24-bit pixels as blue, green, red; 32-bit as blue, green, red, alpha;
// 16-bit as little-endian 5-5-5; 1 and 4 bits packed from the high bits.
// Readers fill a Picture; the record takes its storage over unchanged.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "result.h"

namespace pixkit {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// A JPEG segment kept as read: its marker code and its payload.
struct KeptSegment {
  uint8_t marker = 0;
  std::vector<uint8_t> payload;
};

// Data carried from a load to a save of the same record.
struct Metadata {
  std::vector<uint8_t> exif;  // TIFF structure after the "Exif\0\0" marker
  std::vector<uint8_t> icc;   // the whole ICC profile
  // A JPEG source's XMP and extended XMP (APP1), Photoshop resources with
  // the IPTC record (APP13) and comments (COM), in file order.
  std::vector<KeptSegment> jpeg_segments;
  int32_t x_pixels_per_meter = 0;
  int32_t y_pixels_per_meter = 0;
};

// Pixel memory without zero filling where the caller overwrites every byte.
// Zeroed memory comes from calloc: a large block is fresh pages from the
// system, zero already, so a picture that a reader leaves mostly untouched
// (an RLE stream that ends early) costs no pass over all of its bytes.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  static Result<PixelBuffer> allocate(uint64_t bytes, bool zeroed);
  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  uint64_t size() const { return size_; }

 private:
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t, Free> data_;
  uint64_t size_ = 0;
};

// Read-only view of a picture in DIB layout, from a Picture or a record.
struct PictureView {
  int32_t width = 0;
  int32_t height = 0;
  int bit_count = 0;
  int32_t row_bytes = 0;
  const uint8_t* bits = nullptr;  // bottom memory row
  std::span<const Rgb> palette;   // 1, 4 and 8 bits
  const Metadata* metadata = nullptr;

  // Row y counted from the top.
  const uint8_t* row(int32_t y) const { return bits + int64_t(height - 1 - y) * row_bytes; }
  // Palette index of pixel x in a row of 1, 4 or 8 bits.
  uint8_t index_at(const uint8_t* row, int32_t x) const;
};

class Picture {
 public:
  // Checks the size against the limits, then allocates. Pixels are zero when
  // zeroed is set, otherwise undefined until the reader writes them.
  static Result<Picture> create(int32_t width, int32_t height, int bit_count, bool zeroed = true);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int bit_count() const { return bit_count_; }
  int32_t row_bytes() const { return row_bytes_; }
  uint8_t* bits() { return pixels_.data(); }
  const uint8_t* bits() const { return pixels_.data(); }
  uint64_t byte_size() const { return pixels_.size(); }

  // Row y counted from the top.
  uint8_t* row(int32_t y) { return pixels_.data() + int64_t(height_ - 1 - y) * row_bytes_; }
  const uint8_t* row(int32_t y) const { return pixels_.data() + int64_t(height_ - 1 - y) * row_bytes_; }

  std::vector<Rgb> palette;
  Metadata metadata;

  PictureView view() const;
  PixelBuffer release_pixels() { return std::move(pixels_); }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  int bit_count_ = 0;
  int32_t row_bytes_ = 0;
  PixelBuffer pixels_;
};

// Whether finish_indexed still has to look at every index. A reader that
// checked each index as it wrote it (per run of an RLE stream), or whose
// palette has an entry for every value its bits can take, says so and
// spares a pass over the whole picture.
enum class IndexCheck { Needed, Done };

// Readers that decode palette pictures to one byte per pixel call this at the
// end: it checks every index against the palette and repacks to 1 bit for up
// to 2 colours and 4 bits for up to 16.
Result<Picture> finish_indexed(Picture picture8, IndexCheck check = IndexCheck::Needed);

// A 32-bit picture whose alpha bytes are all zero carries no alpha: repack it
// at 24 bits.
Result<Picture> drop_empty_alpha(Picture picture32);

// Pixel row y (from the top) of any bit count as blue, green, red triples;
// out holds 3 * width bytes.
void row_to_bgr24(const PictureView& view, int32_t y, uint8_t* out);
// As above with a fourth byte: the alpha of 32-bit pictures, 255 otherwise.
void row_to_bgra32(const PictureView& view, int32_t y, uint8_t* out);
// Whether any alpha byte of a 32-bit view differs from 255.
bool has_translucent_pixels(const PictureView& view);

}  // namespace pixkit
