// SPDX-License-Identifier: LGPL-2.1-or-later
// RLE8 and RLE4 BMP writer. Each row is cut into encoded runs (one value
// repeated; for RLE4 two values alternating) where a run is long enough to
// pay off, and absolute runs of literal pixels between them; every row ends
// with end-of-line and the stream with end-of-bitmap. Other bit counts are
// written uncompressed.
#include <algorithm>
#include <vector>

#include "bmp_format.h"
#include "codecs/codecs.h"
#include "core/progress.h"

namespace pixkit {
namespace {

inline constexpr uint32_t kMaxRun = 255;
// Shortest encoded run worth leaving absolute mode for: an encoded run takes
// 2 bytes, an absolute run 2 bytes of escape plus the literal bytes.
inline constexpr uint32_t kMinRle8Run = 3;
inline constexpr uint32_t kMinRle4Run = 4;
inline constexpr uint32_t kMinAbsolute = 3;  // counts 0..2 are escapes
inline constexpr uint32_t kBfSizeOffset = 2;
inline constexpr uint32_t kBiSizeImageOffset = kBmpFileHeaderSize + 20;

// Pixels from x on that equal pixel x.
uint32_t same_run(const std::vector<uint8_t>& px, size_t x) {
  uint32_t n = 1;
  while (x + n < px.size() && n < kMaxRun && px[x + n] == px[x]) ++n;
  return n;
}

// Pixels from x on that alternate between pixels x and x + 1 (a plain run
// is the special case of two equal values).
uint32_t alternating_run(const std::vector<uint8_t>& px, size_t x) {
  uint32_t n = 1;
  while (x + n < px.size() && n < kMaxRun && px[x + n] == px[x + (n & 1)]) ++n;
  return n;
}

void put_absolute_run(const std::vector<uint8_t>& px, size_t from, uint32_t count, int bits,
                      std::vector<uint8_t>& out) {
  out.push_back(0);
  out.push_back(uint8_t(count));
  size_t bytes = 0;
  if (bits == 8) {
    out.insert(out.end(), px.begin() + ptrdiff_t(from), px.begin() + ptrdiff_t(from + count));
    bytes = count;
  } else {
    for (uint32_t i = 0; i < count; i += 2) {
      const uint8_t low = i + 1 < count ? px[from + i + 1] : 0;
      out.push_back(uint8_t(px[from + i] << 4 | low));
      ++bytes;
    }
  }
  if (bytes & 1) out.push_back(0);  // absolute runs end on a 16-bit word
}

void encode_rle8_row(const std::vector<uint8_t>& px, std::vector<uint8_t>& out) {
  size_t x = 0;
  while (x < px.size()) {
    const uint32_t run = same_run(px, x);
    if (run >= kMinRle8Run) {
      out.push_back(uint8_t(run));
      out.push_back(px[x]);
      x += run;
      continue;
    }
    // Gather literal pixels up to the next run worth encoding.
    size_t end = x;
    while (end < px.size()) {
      const uint32_t next = same_run(px, end);
      if (next >= kMinRle8Run || end - x + next > kMaxRun) break;
      end += next;
    }
    const uint32_t count = uint32_t(end - x);
    if (count >= kMinAbsolute) {
      put_absolute_run(px, x, count, 8, out);
    } else {
      for (size_t i = x; i < end;) {
        const uint32_t n = std::min<uint32_t>(same_run(px, i), uint32_t(end - i));
        out.push_back(uint8_t(n));
        out.push_back(px[i]);
        i += n;
      }
    }
    x = end;
  }
}

void encode_rle4_row(const std::vector<uint8_t>& px, std::vector<uint8_t>& out) {
  size_t x = 0;
  while (x < px.size()) {
    const uint32_t run = alternating_run(px, x);
    // A short run that finishes the row is still cheaper than a literal.
    if (run >= kMinRle4Run || x + run == px.size()) {
      const uint8_t second = run > 1 ? px[x + 1] : 0;
      out.push_back(uint8_t(run));
      out.push_back(uint8_t(px[x] << 4 | second));
      x += run;
      continue;
    }
    size_t end = x;
    while (end < px.size()) {
      const uint32_t next = alternating_run(px, end);
      if (next >= kMinRle4Run || end - x + next > kMaxRun) break;
      end += next;
    }
    const uint32_t count = uint32_t(end - x);
    if (count >= kMinAbsolute) {
      put_absolute_run(px, x, count, 4, out);
    } else {
      // One or two pixels fit one encoded run.
      out.push_back(uint8_t(count));
      out.push_back(uint8_t(px[x] << 4 | (count > 1 ? px[x + 1] : 0)));
    }
    x = end;
  }
}

void patch_le32(OutputFile& out, uint64_t offset, uint32_t v) {
  const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  out.patch(offset, b, 4);
}

}  // namespace

Status encode_rle_bmp(const PictureView& picture, OutputFile& out) {
  const int bits = picture.bit_count;
  if (bits != 8 && bits != 4) return encode_bmp(picture, out);
  if (picture.width < 1 || picture.height < 1) return fail("bmp: picture has no pixels");

  BmpWriteLayout layout;
  layout.width = picture.width;
  layout.height = picture.height;
  layout.bit_count = bits;
  layout.compression = bits == 8 ? kBiRle8 : kBiRle4;
  layout.colour_count = 1u << bits;
  layout.metadata = picture.metadata;
  // The stream's length is known only at the end; bfSize and biSizeImage
  // are patched then.
  const uint64_t start = out.offset();
  write_bmp_headers(layout, out);
  write_bmp_colour_table(picture.palette, layout.colour_count, out);
  const uint64_t stream_start = out.offset();

  std::vector<uint8_t> indices(size_t(picture.width));
  std::vector<uint8_t> encoded;
  encoded.reserve(indices.size() + 16);
  for (int32_t r = 0; r < picture.height; ++r) {
    const uint8_t* row = picture.row(picture.height - 1 - r);
    for (int32_t x = 0; x < picture.width; ++x) indices[size_t(x)] = picture.index_at(row, x);
    encoded.clear();
    if (bits == 8)
      encode_rle8_row(indices, encoded);
    else
      encode_rle4_row(indices, encoded);
    encoded.push_back(0);  // end of line
    encoded.push_back(0);
    out.write(encoded.data(), encoded.size());
    if ((r & 63) == 63) report_progress(uint64_t(r) + 1, uint64_t(picture.height));
    if (out.failed()) return fail("bmp: write failed");
  }
  out.u8(0);  // end of bitmap
  out.u8(1);

  const uint64_t stream_bytes = out.offset() - stream_start;
  const uint64_t file_bytes = out.offset() - start;
  if (file_bytes > UINT32_MAX) return fail("bmp: picture too large for a BMP file");
  patch_le32(out, start + kBfSizeOffset, uint32_t(file_bytes));
  patch_le32(out, start + kBiSizeImageOffset, uint32_t(stream_bytes));
  if (out.failed()) return fail("bmp: write failed");
  return {};
}

}  // namespace pixkit
