// SPDX-License-Identifier: LGPL-2.1-or-later
// Writes a picture as IFF ILBM, every plane row packed with ByteRun1:
// palette pictures with one plane per bit and a full colour map, everything
// else as 24-plane deep ILBM (the format keeps no alpha here).
#include <algorithm>
#include <vector>

#include "codecs/codecs.h"
#include "core/progress.h"
#include "ilbm_byte_run.h"
#include "ilbm_format.h"

namespace pixkit {
namespace {

void write_id(OutputFile& out, uint32_t id) { out.be32(id); }

void write_bmhd_chunk(OutputFile& out, const PictureView& picture, int planes) {
  write_id(out, kIdBmhd);
  out.be32(kBmhdSize);
  out.be16(uint16_t(picture.width));
  out.be16(uint16_t(picture.height));
  out.be16(0);  // x
  out.be16(0);  // y
  out.u8(uint8_t(planes));
  out.u8(kMaskNone);
  out.u8(kCompressByteRun1);
  out.u8(kBmhdFlagCmapIs8Bit);         // our colour maps are full 8-bit values
  out.be16(0);                         // transparentColor, unused without masking
  out.u8(1);                           // xAspect: square pixels
  out.u8(1);                           // yAspect
  out.be16(uint16_t(picture.width));   // pageWidth
  out.be16(uint16_t(picture.height));  // pageHeight
}

// Always 2^bits entries, so that a reader sees the bit count we mean;
// entries the picture's palette lacks are black.
void write_cmap_chunk(OutputFile& out, const PictureView& picture) {
  const size_t entries = size_t(1) << picture.bit_count;
  write_id(out, kIdCmap);
  out.be32(uint32_t(entries * 3));  // 6, 48 or 768: even, no pad byte
  for (size_t i = 0; i < entries; ++i) {
    const Rgb c = i < picture.palette.size() ? picture.palette[i] : Rgb{};
    out.u8(c.r);
    out.u8(c.g);
    out.u8(c.b);
  }
}

// Spreads one value per pixel over planes bit planes, plane 0 taking bit 0.
void scatter_planes(const std::vector<uint32_t>& values, int planes, size_t plane_bytes,
                    std::vector<uint8_t>& row) {
  std::fill(row.begin(), row.end(), uint8_t(0));
  for (size_t x = 0; x < values.size(); ++x) {
    const uint32_t v = values[x];
    const uint8_t bit = uint8_t(0x80 >> (x & 7));
    for (int p = 0; p < planes; ++p)
      if (v >> p & 1) row[size_t(p) * plane_bytes + (x >> 3)] |= bit;
  }
}

// Pixel values of row y: palette indices, or red | green << 8 | blue << 16.
void row_values(const PictureView& picture, int32_t y, std::vector<uint8_t>& bgr,
                std::vector<uint32_t>& values) {
  if (picture.bit_count <= 8) {
    const uint8_t* row = picture.row(y);
    for (int32_t x = 0; x < picture.width; ++x) values[size_t(x)] = picture.index_at(row, x);
    return;
  }
  row_to_bgr24(picture, y, bgr.data());
  for (int32_t x = 0; x < picture.width; ++x) {
    const uint8_t* p = &bgr[3 * size_t(x)];
    values[size_t(x)] = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
  }
}

}  // namespace

Status encode_ilbm(const PictureView& picture, OutputFile& out) {
  const int bits = picture.bit_count;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return fail("ilbm: unsupported bit count");
  // BMHD keeps the size in 16-bit fields.
  if (picture.width < 1 || picture.height < 1 || picture.width > 0xFFFF || picture.height > 0xFFFF)
    return fail("ilbm: picture size does not fit BMHD");
  const bool indexed = bits <= 8;
  const int planes = indexed ? bits : 24;
  const size_t plane_bytes = (size_t(picture.width) + 15) / 16 * 2;

  const uint64_t form_start = out.offset();
  write_id(out, kIdForm);
  out.be32(0);  // patched below
  write_id(out, kIdIlbm);
  write_bmhd_chunk(out, picture, planes);
  if (indexed) write_cmap_chunk(out, picture);

  write_id(out, kIdBody);
  const uint64_t body_size_at = out.offset();
  out.be32(0);  // patched below
  const uint64_t body_start = out.offset();

  std::vector<uint8_t> bgr(indexed ? 0 : size_t(picture.width) * 3);
  std::vector<uint32_t> values(size_t(picture.width));
  std::vector<uint8_t> planar(plane_bytes * size_t(planes));
  std::vector<uint8_t> packed;
  for (int32_t y = 0; y < picture.height; ++y) {
    row_values(picture, y, bgr, values);
    scatter_planes(values, planes, plane_bytes, planar);
    packed.clear();
    // Each plane row is packed on its own: some readers unpack plane by
    // plane and do not accept runs that cross into the next plane.
    for (int p = 0; p < planes; ++p) pack_byte_run1(&planar[size_t(p) * plane_bytes], plane_bytes, packed);
    out.write(packed.data(), packed.size());
    if (out.failed()) return fail("write to the file failed");
    report_progress(uint64_t(y) + 1, uint64_t(picture.height));
  }

  const uint64_t body_size = out.offset() - body_start;
  if (body_size & 1) out.u8(0);
  const uint64_t form_size = out.offset() - form_start - 8;
  if (form_size > 0xFFFFFFFFu) return fail("ilbm: picture too large for a FORM");
  out.patch_be32(body_size_at, uint32_t(body_size));
  out.patch_be32(form_start + 4, uint32_t(form_size));
  return out.finish();
}

}  // namespace pixkit
