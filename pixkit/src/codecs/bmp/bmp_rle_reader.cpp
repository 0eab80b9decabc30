// SPDX-License-Identifier: LGPL-2.1-or-later
// Expanding the RLE8 and RLE4 pixel streams of BMP files. A stream is a
// list of two-byte commands: a nonzero count repeats a value; a zero count
// escapes to end of line (0), end of bitmap (1), a delta move (2, then dx,
// dy) or an absolute run of 3..255 literal pixels padded to a 16-bit word.
// Pixels the stream skips stay 0.
//
// The pixels go straight into the picture at the depth it leaves with, and
// every index is checked as it is written: a stream of a few bytes may
// declare a large picture, and it then costs what it writes, not a pass
// over the picture.
#include <algorithm>
#include <cstring>

#include "bmp_format.h"
#include "core/progress.h"

namespace pixkit {
namespace {

enum : uint8_t { kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2 };

// Sets pixel x of a row of 1, 4 or 8 bits per pixel to index.
void put_index(uint8_t* row, uint32_t x, uint8_t index, int bits) {
  switch (bits) {
    case 8:
      row[x] = index;
      return;
    case 4: {
      uint8_t& b = row[x >> 1];
      b = (x & 1) ? uint8_t((b & 0xF0) | index) : uint8_t((b & 0x0F) | (index << 4));
      return;
    }
    default: {
      uint8_t& b = row[x >> 3];
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      b = index ? uint8_t(b | bit) : uint8_t(b & ~bit);
    }
  }
}

// Where the next pixel goes. line counts rows in stream order (the bottom
// row first unless the picture is stored top-down).
//
// Some writers (ImageMagick among them) encode each row out to its padded
// width, so runs may reach into the 4-byte padding of the row: those
// pixels are dropped. A run past the padding is an error.
class RleCursor {
 public:
  // The part of a run that lands inside the picture: count pixels from x
  // of row on.
  struct Target {
    uint8_t* row = nullptr;
    uint32_t x = 0;
    uint32_t count = 0;
    int bits = 8;

    void set(uint32_t i, uint8_t index) const { put_index(row, x + i, index, bits); }
    void fill(uint8_t index) const {
      if (bits == 8) {
        std::memset(row + x, index, count);
        return;
      }
      for (uint32_t i = 0; i < count; ++i) set(i, index);
    }
  };

  RleCursor(const BmpHeader& header, Picture& picture)
      : picture_(picture),
        colours_(header.palette.size()),
        width_(uint32_t(header.width)),
        padded_width_(uint32_t((uint64_t(header.width) * uint64_t(header.bit_count) + 31) / 32 * 32 /
                               uint64_t(header.bit_count))),
        height_(uint32_t(header.height)),
        top_down_(header.top_down) {}

  bool rows_done() const { return line_ >= height_; }

  // Every index is checked as it is written, run by run, so that the
  // picture needs no pass of its own; pixels the stream skips stay 0, which
  // every palette has.
  Status check_index(uint8_t index) const {
    if (index >= colours_) return fail("bmp: rle index beyond the palette");
    return {};
  }

  // A run of count pixels starting at the cursor, checked against the row
  // and the picture.
  Result<Target> claim(uint32_t count) {
    if (line_ >= height_) return fail("bmp: rle pixels below the last row");
    if (count > padded_width_ - x_) return fail("bmp: rle run past the row");
    Target target;
    target.bits = picture_.bit_count();
    if (x_ < width_) {
      const int32_t y = int32_t(top_down_ ? line_ : height_ - 1 - line_);
      target.row = picture_.row(y);
      target.x = x_;
      target.count = std::min(count, width_ - x_);
    }
    x_ += count;
    return target;
  }

  Status end_line() {
    if (line_ >= height_) return fail("bmp: rle line past the last row");
    x_ = 0;
    ++line_;
    report_progress(line_, height_);
    return {};
  }

  Status move(uint32_t dx, uint32_t dy) {
    if (dx > padded_width_ - x_ || dy > height_ - line_) return fail("bmp: rle delta past the picture");
    x_ += dx;
    line_ += dy;
    return {};
  }

 private:
  Picture& picture_;
  size_t colours_;
  uint32_t width_;
  uint32_t padded_width_;  // width_ <= padded_width_; x_ <= padded_width_
  uint32_t height_;
  bool top_down_;
  uint32_t x_ = 0;
  uint32_t line_ = 0;
};

// Literal pixels of an absolute run: bytes_used bytes of data, then padding
// to an even count.
Result<ByteSpan> read_absolute_bytes(SourceReader& stream, uint32_t bytes_used) {
  auto bytes = stream.bytes(bytes_used);
  if (!bytes) return fail("bmp: rle data truncated");
  if ((bytes_used & 1) && !stream.skip(1)) return fail("bmp: rle data truncated");
  return *bytes;
}

// Walks the commands; the escapes are the same for both depths, the runs
// go to the depth's own functions.
template <class AbsoluteRun, class EncodedRun>
Status expand_rle(SourceReader& stream, RleCursor& cursor, AbsoluteRun absolute_run, EncodedRun encoded_run) {
  for (;;) {
    // A stream that stops after the last row without an end-of-bitmap mark
    // lost nothing; stopping anywhere else is truncation.
    if (stream.at_end() && cursor.rows_done()) return {};
    auto count = stream.u8();
    auto value = stream.u8();
    if (!count || !value) return fail("bmp: rle data truncated");
    if (*count > 0) {
      PIXKIT_TRY(encoded_run(cursor, *count, *value));
      continue;
    }
    switch (*value) {
      case kEndOfLine:
        PIXKIT_TRY(cursor.end_line());
        break;
      case kEndOfBitmap:
        return {};
      case kDelta: {
        auto dx = stream.u8();
        auto dy = stream.u8();
        if (!dx || !dy) return fail("bmp: rle data truncated");
        PIXKIT_TRY(cursor.move(*dx, *dy));
        break;
      }
      default:
        PIXKIT_TRY(absolute_run(stream, cursor, *value));
        break;
    }
  }
}

}  // namespace

Status expand_rle8(SourceReader& stream, const BmpHeader& header, Picture& picture) {
  RleCursor cursor(header, picture);
  auto encoded = [](RleCursor& c, uint32_t count, uint8_t value) -> Status {
    auto target = c.claim(count);
    if (!target) return target.as_error();
    if (target->count == 0) return {};
    PIXKIT_TRY(c.check_index(value));
    target->fill(value);
    return {};
  };
  auto absolute = [](SourceReader& s, RleCursor& c, uint32_t count) -> Status {
    auto target = c.claim(count);
    if (!target) return target.as_error();
    auto bytes = read_absolute_bytes(s, count);
    if (!bytes) return bytes.as_error();
    for (uint32_t i = 0; i < target->count; ++i) {
      PIXKIT_TRY(c.check_index((*bytes)[i]));
      target->set(i, (*bytes)[i]);
    }
    return {};
  };
  return expand_rle(stream, cursor, absolute, encoded);
}

Status expand_rle4(SourceReader& stream, const BmpHeader& header, Picture& picture) {
  RleCursor cursor(header, picture);
  // An encoded run alternates the value's high and low nibble.
  auto encoded = [](RleCursor& c, uint32_t count, uint8_t value) -> Status {
    auto target = c.claim(count);
    if (!target) return target.as_error();
    const uint8_t pair[2] = {uint8_t(value >> 4), uint8_t(value & 15)};
    for (uint32_t i = 0; i < target->count && i < 2; ++i) PIXKIT_TRY(c.check_index(pair[i]));
    for (uint32_t i = 0; i < target->count; ++i) target->set(i, pair[i & 1]);
    return {};
  };
  auto absolute = [](SourceReader& s, RleCursor& c, uint32_t count) -> Status {
    auto target = c.claim(count);
    if (!target) return target.as_error();
    auto bytes = read_absolute_bytes(s, (count + 1) / 2);
    if (!bytes) return bytes.as_error();
    for (uint32_t i = 0; i < target->count; ++i) {
      const uint8_t b = (*bytes)[i / 2];
      const uint8_t index = (i & 1) ? (b & 15) : (b >> 4);
      PIXKIT_TRY(c.check_index(index));
      target->set(i, index);
    }
    return {};
  };
  return expand_rle(stream, cursor, absolute, encoded);
}

}  // namespace pixkit
