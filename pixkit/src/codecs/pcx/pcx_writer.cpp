// SPDX-License-Identifier: LGPL-2.1-or-later
// PC Paintbrush writer, always version 5 with RLE: 1 bit as one plane, 4 bits
// as four planes of 1 bit with the header palette, 8 bits with the
// 256-colour palette behind the pixels, everything else as three planes of
// 8 bits (alpha is dropped: the format's readers do not agree on a fourth
// plane).
#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/codecs.h"
#include "core/progress.h"
#include "pcx_format.h"

namespace pixkit {
namespace {

struct PcxLayoutOut {
  uint8_t bits_per_pixel;
  uint8_t planes;
  uint16_t bytes_per_line;  // even, as the format asks
};

// Resolution for the header: the picture's own when it has one, else 72.
uint16_t dots_per_inch(int32_t pixels_per_meter) {
  if (pixels_per_meter <= 0) return 72;
  const int64_t dpi = (int64_t(pixels_per_meter) * 254 + 5000) / 10000;
  return uint16_t(dpi < 1 ? 1 : dpi > 65535 ? 65535 : dpi);
}

void write_pcx_header(const PictureView& view, const PcxLayoutOut& layout, OutputFile& out) {
  out.u8(pcx::kManufacturer);
  out.u8(pcx::kVersionWithPalette);
  out.u8(pcx::kEncodingRle);
  out.u8(layout.bits_per_pixel);
  out.le16(0);  // xmin
  out.le16(0);  // ymin
  out.le16(uint16_t(view.width - 1));
  out.le16(uint16_t(view.height - 1));
  out.le16(dots_per_inch(view.metadata ? view.metadata->x_pixels_per_meter : 0));
  out.le16(dots_per_inch(view.metadata ? view.metadata->y_pixels_per_meter : 0));
  uint8_t palette[48] = {};
  if (view.bit_count <= 4)
    for (size_t i = 0; i < view.palette.size() && i < 16; ++i) {
      palette[3 * i] = view.palette[i].r;
      palette[3 * i + 1] = view.palette[i].g;
      palette[3 * i + 2] = view.palette[i].b;
    }
  out.write(palette, sizeof palette);
  out.u8(0);  // reserved
  out.u8(layout.planes);
  out.le16(layout.bytes_per_line);
  out.le16(1);  // palette info: colour
  out.le16(0);  // screen size, unused
  out.le16(0);
  out.fill(0, pcx::kHeaderSize - 74);
}

// Runs stay inside one plane: some readers decode plane by plane.
void write_rle_plane(const uint8_t* plane, size_t size, std::vector<uint8_t>& encoded) {
  size_t i = 0;
  while (i < size) {
    const uint8_t value = plane[i];
    size_t run = 1;
    while (i + run < size && run < pcx::kMaxRun && plane[i + run] == value) ++run;
    if (run > 1 || (value & pcx::kRunFlag) == pcx::kRunFlag) encoded.push_back(uint8_t(pcx::kRunFlag | run));
    encoded.push_back(value);
    i += run;
  }
}

// Splits row y of the view into the file's planes, each bytes_per_line long.
void split_row(const PictureView& view, int32_t y, const PcxLayoutOut& layout, std::vector<uint8_t>& planes,
               std::vector<uint8_t>& bgr) {
  std::fill(planes.begin(), planes.end(), 0);
  const uint8_t* row = view.row(y);
  const size_t bpl = layout.bytes_per_line;
  switch (view.bit_count) {
    case 1:
      std::memcpy(planes.data(), row, size_t(view.width + 7) / 8);
      return;
    case 8:
      std::memcpy(planes.data(), row, size_t(view.width));
      return;
    case 4:
      for (int32_t x = 0; x < view.width; ++x) {
        const uint8_t index = view.index_at(row, x);
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        for (int p = 0; p < 4; ++p)
          if (index & (1 << p)) planes[size_t(p) * bpl + size_t(x >> 3)] |= bit;
      }
      return;
    default:
      row_to_bgr24(view, y, bgr.data());
      for (int32_t x = 0; x < view.width; ++x) {
        planes[size_t(x)] = bgr[3 * size_t(x) + 2];
        planes[bpl + size_t(x)] = bgr[3 * size_t(x) + 1];
        planes[2 * bpl + size_t(x)] = bgr[3 * size_t(x)];
      }
  }
}

}  // namespace

Status encode_pcx(const PictureView& view, OutputFile& out) {
  if (view.width < 1 || view.height < 1 || view.width > 65536 || view.height > 65536)
    return fail("pcx: picture size outside the format's range");
  PcxLayoutOut layout{};
  uint64_t line_bytes = 0;
  switch (view.bit_count) {
    case 1:
      layout = {1, 1, 0};
      line_bytes = (uint64_t(view.width) + 7) / 8;
      break;
    case 4:
      layout = {1, 4, 0};
      line_bytes = (uint64_t(view.width) + 7) / 8;
      break;
    case 8:
      layout = {8, 1, 0};
      line_bytes = uint64_t(view.width);
      break;
    case 16:
    case 24:
    case 32:
      layout = {8, 3, 0};
      line_bytes = uint64_t(view.width);
      break;
    default:
      return fail("pcx: unsupported bit count");
  }
  line_bytes += line_bytes & 1;
  if (line_bytes > 65535) return fail("pcx: line too long for the format");
  layout.bytes_per_line = uint16_t(line_bytes);

  write_pcx_header(view, layout, out);
  std::vector<uint8_t> planes(size_t(line_bytes) * layout.planes);
  std::vector<uint8_t> bgr(size_t(view.width) * 3);
  std::vector<uint8_t> encoded;
  encoded.reserve(planes.size() * 2);
  for (int32_t y = 0; y < view.height; ++y) {
    split_row(view, y, layout, planes, bgr);
    encoded.clear();
    for (size_t p = 0; p < layout.planes; ++p)
      write_rle_plane(planes.data() + p * line_bytes, line_bytes, encoded);
    out.write(encoded.data(), encoded.size());
    report_progress(uint64_t(y) + 1, uint64_t(view.height));
  }

  if (view.bit_count == 8) {
    out.u8(pcx::kPaletteMarker);
    uint8_t palette[768] = {};
    for (size_t i = 0; i < view.palette.size() && i < 256; ++i) {
      palette[3 * i] = view.palette[i].r;
      palette[3 * i + 1] = view.palette[i].g;
      palette[3 * i + 2] = view.palette[i].b;
    }
    out.write(palette, sizeof palette);
  }
  return out.finish();
}

}  // namespace pixkit
