// SPDX-License-Identifier: LGPL-2.1-or-later
// Truevision writer, uncompressed, bottom-left origin: palette pictures as
// 8-bit indices into a 24-bit colour map, 16 bits as 5-5-5, 24 bits, and
// 32 bits with 8 attribute (alpha) bits; ends with the version 2 footer.
#include <algorithm>
#include <vector>

#include "codecs/codecs.h"
#include "core/progress.h"
#include "tga_format.h"

namespace pixkit {
namespace {

void write_tga_header(const PictureView& view, OutputFile& out) {
  const bool mapped = view.bit_count <= 8;
  out.u8(0);  // no image ID
  out.u8(mapped ? 1 : 0);
  out.u8(mapped ? tga::kColourMapped : tga::kTrueColour);
  out.le16(0);  // first map entry
  out.le16(mapped ? uint16_t(view.palette.size()) : 0);
  out.u8(mapped ? 24 : 0);
  out.le16(0);  // x origin
  out.le16(0);  // y origin
  out.le16(uint16_t(view.width));
  out.le16(uint16_t(view.height));
  out.u8(mapped ? 8 : uint8_t(view.bit_count));
  out.u8(view.bit_count == 32 ? 8 : 0);  // attribute bits; origin bottom left
  if (mapped)
    for (const Rgb& c : view.palette) {
      out.u8(c.b);
      out.u8(c.g);
      out.u8(c.r);
    }
}

void write_footer(OutputFile& out) {
  out.le32(0);  // no extension area
  out.le32(0);  // no developer directory
  out.write(tga::kFooterSignature, sizeof tga::kFooterSignature);
}

}  // namespace

Status encode_tga(const PictureView& view, OutputFile& out) {
  if (view.width < 1 || view.height < 1 || view.width > 65535 || view.height > 65535)
    return fail("tga: picture size outside the format's range");
  if (view.bit_count != 1 && view.bit_count != 4 && view.bit_count != 8 && view.bit_count != 16 &&
      view.bit_count != 24 && view.bit_count != 32)
    return fail("tga: unsupported bit count");
  if (view.bit_count <= 8 && (view.palette.empty() || view.palette.size() > 256))
    return fail("tga: palette size out of range");

  write_tga_header(view, out);
  const size_t w = size_t(view.width);
  std::vector<uint8_t> row(w * (view.bit_count <= 8 ? 1 : size_t(view.bit_count / 8)));
  // The first stored row is the bottom one, as in the record's memory.
  for (int32_t r = 0; r < view.height; ++r) {
    const int32_t y = view.height - 1 - r;
    const uint8_t* src = view.row(y);
    if (view.bit_count <= 8) {
      for (size_t x = 0; x < w; ++x) row[x] = view.index_at(src, int32_t(x));
    } else if (view.bit_count == 16) {
      for (size_t x = 0; x < w; ++x) {
        row[2 * x] = src[2 * x];
        row[2 * x + 1] = src[2 * x + 1] & 0x7F;
      }
    } else {
      std::copy(src, src + row.size(), row.begin());
    }
    out.write(row.data(), row.size());
    report_progress(uint64_t(r) + 1, uint64_t(view.height));
  }
  write_footer(out);
  return out.finish();
}

}  // namespace pixkit
