// SPDX-License-Identifier: LGPL-2.1-or-later
// Reading the pixel rows of a TIFF's current directory top-down, whatever
// its storage: strips or tiles, one plane or one plane per sample.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <vector>

#include "core/result.h"

namespace pixkit {

// The fields of a directory the readers branch on, defaults applied.
struct TiffLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t samples = 1;           // 1 .. 65535 in the file; we use up to 4 directly
  uint16_t bits = 1;              // bits per sample
  uint16_t photometric = 0xFFFF;  // 0xFFFF when the tag is missing
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t sample_format = SAMPLEFORMAT_UINT;
  uint16_t alpha = EXTRASAMPLE_UNSPECIFIED;  // kind of the first extra sample
  uint16_t extra_samples = 0;
  bool tiled = false;
};

Result<TiffLayout> read_tiff_layout(TIFF* tif);

// Rows are handed out in increasing order; each call may decode a strip or
// a row of tiles. Strips with one plane go through libtiff's scanline
// interface; everything else is decoded a band (strip or tile row) at a
// time, so that separate planes never make libtiff restart a strip.
class TiffRowSource {
 public:
  static Result<TiffRowSource> create(TIFF* tif, const TiffLayout& layout);

  // Makes row y available through plane(); y must not go backwards.
  Status load_row(uint32_t y);
  // Row y of plane p (p is 0 for contiguous samples).
  const uint8_t* plane(uint16_t p) const;

 private:
  Status load_band(uint32_t first_row);

  TIFF* tif_ = nullptr;
  TiffLayout layout_;
  uint16_t planes_ = 1;
  uint64_t scanline_ = 0;   // bytes of one row of one plane
  uint32_t band_rows_ = 0;  // rows per strip or tile length; 0 in scanline mode
  uint32_t band_first_ = 0;
  bool band_loaded_ = false;
  uint32_t row_ = 0;
  uint32_t tile_width_ = 0;
  std::vector<uint8_t> band_;  // planes_ * band_rows_ * scanline_ bytes
  std::vector<uint8_t> tile_;
};

// Sample index of a row of packed samples of bits 1, 2, 4, 8, 16 or 32;
// 16- and 32-bit samples are in host order (libtiff swaps them).
inline uint32_t tiff_sample(const uint8_t* row, uint16_t bits, uint64_t index) {
  if (bits == 8) return row[index];
  if (bits == 16) {
    uint16_t v;
    __builtin_memcpy(&v, row + 2 * index, 2);
    return v;
  }
  if (bits == 32) {
    uint32_t v;
    __builtin_memcpy(&v, row + 4 * index, 4);
    return v;
  }
  const uint64_t bit = index * bits;
  const unsigned shift = 8 - bits - unsigned(bit & 7);
  return (row[bit >> 3] >> shift) & ((1u << bits) - 1);
}

}  // namespace pixkit
