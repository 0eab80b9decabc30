// SPDX-License-Identifier: LGPL-2.1-or-later
// Truevision reader: colour-mapped (8-bit indices into maps of 15, 16, 24 or
// 32-bit entries), grey, and true colour at 15, 16, 24 and 32 bits; raw or
// RLE; any of the four origins.
#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/codecs.h"
#include "core/progress.h"
#include "core/source_reader.h"
#include "tga_format.h"

namespace pixkit {
namespace {

using tga::Header;

uint8_t widen5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }

Result<std::vector<Rgb>> read_colour_map(const Header& h, SourceReader& in) {
  const size_t entry_bytes = h.map_entry_bytes();
  auto map = in.bytes(size_t(h.map_length) * entry_bytes);
  if (!map) return fail("tga: colour map truncated");
  if (!h.is_mapped()) return std::vector<Rgb>{};
  // 8-bit indices reach at most 256 entries past the first.
  const size_t used = std::min<size_t>(h.map_length, 256);
  std::vector<Rgb> palette(used);
  for (size_t i = 0; i < used; ++i) {
    const uint8_t* e = map->data() + i * entry_bytes;
    if (entry_bytes == 2) {
      const unsigned v = e[0] | (e[1] << 8);
      palette[i] = Rgb{widen5((v >> 10) & 31), widen5((v >> 5) & 31), widen5(v & 31)};
    } else {
      palette[i] = Rgb{e[2], e[1], e[0]};  // a fourth (alpha) byte has no place in a palette
    }
  }
  return palette;
}

// Hands out the pixels one stored row at a time. RLE packets may run on
// from one row into the next but never past the picture or the input.
class TgaPixelSource {
 public:
  TgaPixelSource(SourceReader& in, const Header& h)
      : in_(in),
        rle_(h.is_rle()),
        pixel_bytes_(h.pixel_bytes()),
        pixels_left_(uint64_t(h.width) * h.height) {}

  Status next_row(uint8_t* out, size_t width) {
    if (!rle_) {
      if (!in_.copy_to(out, width * pixel_bytes_)) return fail("tga: pixel data truncated");
      return {};
    }
    size_t x = 0;
    while (x < width) {
      if (packet_left_ == 0) PIXKIT_TRY(start_packet());
      const size_t n = std::min(packet_left_, width - x);
      uint8_t* dst = out + x * pixel_bytes_;
      if (packet_is_run_) {
        for (size_t i = 0; i < n; ++i) std::memcpy(dst + i * pixel_bytes_, run_value_, pixel_bytes_);
      } else if (!in_.copy_to(dst, n * pixel_bytes_)) {
        return fail("tga: packet past the end of the input");
      }
      x += n;
      packet_left_ -= n;
      pixels_left_ -= n;
    }
    return {};
  }

 private:
  Status start_packet() {
    auto b = in_.u8();
    if (!b) return fail("tga: pixel data truncated");
    packet_left_ = size_t(*b & 0x7F) + 1;
    packet_is_run_ = (*b & 0x80) != 0;
    if (packet_left_ > pixels_left_) return fail("tga: packet past the end of the picture");
    if (packet_is_run_ && !in_.copy_to(run_value_, pixel_bytes_))
      return fail("tga: packet past the end of the input");
    if (!packet_is_run_ && packet_left_ * pixel_bytes_ > in_.remaining())
      return fail("tga: packet past the end of the input");
    return {};
  }

  SourceReader& in_;
  bool rle_;
  size_t pixel_bytes_;
  uint64_t pixels_left_;
  size_t packet_left_ = 0;
  bool packet_is_run_ = false;
  uint8_t run_value_[4] = {};
};

// Converts one stored row into the picture's layout, left to right.
Status convert_row(const Header& h, const uint8_t* in, uint8_t* out) {
  const size_t w = h.width;
  if (h.is_mapped()) {
    for (size_t x = 0; x < w; ++x) {
      if (in[x] < h.map_first) return fail("tga: colour index below the colour map");
      out[x] = uint8_t(in[x] - h.map_first);
    }
  } else if (h.is_grey()) {
    for (size_t x = 0; x < w; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
  } else if (h.pixel_bytes() == 2) {
    // The top bit is an attribute (alpha) bit; the record's 16-bit pixels
    // ignore it, so it is cleared.
    for (size_t x = 0; x < w; ++x) {
      out[2 * x] = in[2 * x];
      out[2 * x + 1] = in[2 * x + 1] & 0x7F;
    }
  } else {
    std::memcpy(out, in, w * h.pixel_bytes());
  }
  return {};
}

void reverse_row(uint8_t* row, size_t width, size_t pixel_bytes) {
  for (size_t a = 0, b = width - 1; a < b; ++a, --b)
    for (size_t k = 0; k < pixel_bytes; ++k) std::swap(row[a * pixel_bytes + k], row[b * pixel_bytes + k]);
}

int picture_bit_count(const Header& h) {
  if (h.is_mapped()) return 8;
  if (h.is_grey()) return 24;
  switch (h.pixel_depth) {
    case 15:
    case 16:
      return 16;
    case 24:
      return 24;
    default:
      return 32;
  }
}

}  // namespace

Result<Picture> decode_tga(const RangeSource& file) {
  SourceReader in(file);
  const auto header = tga::read_header(in);
  if (!header) return fail("tga: file shorter than its header");
  const Header& h = *header;
  PIXKIT_TRY(tga::check_header(h));

  if (!in.skip(h.id_length)) return fail("tga: image ID truncated");
  std::vector<Rgb> palette;
  if (h.colour_map_type == 1) {
    auto map = read_colour_map(h, in);
    if (!map) return map.as_error();
    palette = std::move(map.value());
  }

  // Refuse a file far too short for its size before allocating: raw data
  // holds every pixel, an RLE packet of at least one byte at most 128.
  const uint64_t pixels = uint64_t(h.width) * h.height;
  if (h.is_rle() ? uint64_t(in.remaining()) * 128 < pixels : in.remaining() / h.pixel_bytes() < pixels)
    return fail("tga: pixel data truncated");

  const int bit_count = picture_bit_count(h);
  auto created = Picture::create(h.width, h.height, bit_count, false);
  if (!created) return created.as_error();
  Picture picture = std::move(created.value());

  const bool top_down = (h.descriptor & tga::kTopToBottom) != 0;
  const bool right_to_left = (h.descriptor & tga::kRightToLeft) != 0;
  const size_t out_pixel_bytes = size_t(bit_count / 8);
  std::vector<uint8_t> stored(size_t(h.width) * h.pixel_bytes());
  TgaPixelSource source(in, h);
  for (int32_t r = 0; r < h.height; ++r) {
    PIXKIT_TRY(source.next_row(stored.data(), h.width));
    uint8_t* out = picture.row(top_down ? r : h.height - 1 - r);
    PIXKIT_TRY(convert_row(h, stored.data(), out));
    if (right_to_left) reverse_row(out, h.width, out_pixel_bytes);
    report_progress(uint64_t(r) + 1, h.height);
  }

  if (h.is_mapped()) {
    picture.palette = std::move(palette);
    return finish_indexed(std::move(picture));
  }
  // Writers disagree on the attribute bits of 32-bit files (some leave them
  // 0 with a real alpha channel), so the fourth bytes decide: all zero means
  // no alpha.
  if (bit_count == 32) return drop_empty_alpha(std::move(picture));
  return picture;
}

}  // namespace pixkit
