// SPDX-License-Identifier: LGPL-2.1-or-later
#include "tiff_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/checked_size.h"

namespace pixkit {
namespace {

// One band of decoded rows for all planes; a larger band means a strip or
// tile row no sane writer makes, and refusing it bounds our allocation.
constexpr uint64_t kMaxBandBytes = uint64_t(1) << 30;
constexpr uint32_t kMaxOversizedTile = 1024;

Status resize_buffer(std::vector<uint8_t>& buffer, uint64_t bytes) {
  try {
    buffer.resize(size_t(bytes));
  } catch (const std::bad_alloc&) {
    return fail_too_large("tiff: out of memory for a band of rows");
  }
  return {};
}

}  // namespace

Result<TiffLayout> read_tiff_layout(TIFF* tif) {
  TiffLayout l;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height))
    return fail("tiff: no image size");
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.sample_format);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) l.photometric = 0xFFFF;
  uint16_t extra_count = 0;
  uint16_t* extra_kinds = nullptr;
  if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra_kinds) && extra_count > 0 && extra_kinds) {
    l.extra_samples = extra_count;
    l.alpha = extra_kinds[0];
  }
  l.tiled = TIFFIsTiled(tif) != 0;
  if (l.samples == 0 || l.bits == 0) return fail("tiff: no samples");
  return l;
}

Result<TiffRowSource> TiffRowSource::create(TIFF* tif, const TiffLayout& layout) {
  TiffRowSource s;
  s.tif_ = tif;
  s.layout_ = layout;
  s.planes_ = layout.planar == PLANARCONFIG_SEPARATE ? layout.samples : 1;
  s.scanline_ = TIFFScanlineSize64(tif);
  if (s.scanline_ == 0) return fail("tiff: row size out of range");
  const uint64_t bits_per_plane_pixel = uint64_t(layout.bits) * (s.planes_ == 1 ? layout.samples : 1);
  auto needed = checked_mul(bits_per_plane_pixel, layout.width);
  if (!needed || (*needed + 7) / 8 > s.scanline_) return fail("tiff: row size below the width");

  if (!layout.tiled && s.planes_ == 1) {
    PIXKIT_TRY(resize_buffer(s.band_, s.scanline_));
    return s;
  }
  if (layout.tiled) {
    uint32_t tile_length = 0;
    if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &s.tile_width_) ||
        !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tile_length) || s.tile_width_ == 0 || tile_length == 0)
      return fail("tiff: tile size missing");
    // Tiles are rounded up to multiples of 16 and writers pick sizes like
    // 256 for small pictures; a tile far beyond the picture only serves to
    // make us allocate.
    if (s.tile_width_ > std::max(layout.width, kMaxOversizedTile) ||
        tile_length > std::max(layout.height, kMaxOversizedTile))
      return fail("tiff: tiles larger than the picture");
    // Tiles are copied into the band at byte positions.
    if ((uint64_t(s.tile_width_) * bits_per_plane_pixel) % 8 != 0)
      return fail("tiff: tile width not byte aligned");
    const uint64_t tile_bytes = TIFFTileSize64(tif);
    if (tile_bytes == 0 || tile_bytes > kMaxBandBytes) return fail("tiff: tile size out of range");
    const uint64_t tile_row_bytes = TIFFTileRowSize64(tif);
    if (tile_row_bytes == 0 || tile_row_bytes * uint64_t(tile_length) > tile_bytes)
      return fail("tiff: tile row size out of range");
    PIXKIT_TRY(resize_buffer(s.tile_, tile_bytes));
    s.band_rows_ = std::min(tile_length, layout.height);
  } else {
    uint32_t rows_per_strip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
    if (rows_per_strip == 0) return fail("tiff: zero rows per strip");
    s.band_rows_ = std::min(rows_per_strip, layout.height);
  }
  auto band = checked_mul(s.scanline_, s.band_rows_);
  if (band) band = checked_mul(*band, s.planes_);
  if (!band || *band > kMaxBandBytes) return fail_too_large("tiff: strip or tile band too large");
  PIXKIT_TRY(resize_buffer(s.band_, *band));
  return s;
}

Status TiffRowSource::load_band(uint32_t first_row) {
  const uint32_t rows = std::min(band_rows_, layout_.height - first_row);
  const uint64_t plane_band = scanline_ * band_rows_;
  if (!layout_.tiled) {
    const tmsize_t want = tmsize_t(scanline_ * rows);
    for (uint16_t p = 0; p < planes_; ++p) {
      const uint32_t strip = TIFFComputeStrip(tif_, first_row, p);
      if (TIFFReadEncodedStrip(tif_, strip, band_.data() + p * plane_band, want) < want)
        return fail("tiff: strip damaged or short");
    }
    return {};
  }
  const uint64_t tile_row_bytes = TIFFTileRowSize64(tif_);
  const uint64_t bits_per_plane_pixel = uint64_t(layout_.bits) * (planes_ == 1 ? layout_.samples : 1);
  for (uint32_t x0 = 0; x0 < layout_.width; x0 += tile_width_) {
    const uint32_t columns = std::min(tile_width_, layout_.width - x0);
    const uint64_t offset = uint64_t(x0) * bits_per_plane_pixel / 8;
    const uint64_t count = std::min((uint64_t(columns) * bits_per_plane_pixel + 7) / 8, tile_row_bytes);
    for (uint16_t p = 0; p < planes_; ++p) {
      if (TIFFReadTile(tif_, tile_.data(), x0, first_row, 0, p) < 0) return fail("tiff: tile damaged");
      for (uint32_t r = 0; r < rows; ++r)
        std::memcpy(band_.data() + p * plane_band + r * scanline_ + offset, tile_.data() + r * tile_row_bytes,
                    size_t(count));
    }
    if (x0 > UINT32_MAX - tile_width_) break;
  }
  return {};
}

Status TiffRowSource::load_row(uint32_t y) {
  if (y >= layout_.height) return fail("tiff: row beyond the picture");
  row_ = y;
  if (band_rows_ == 0) {
    if (TIFFReadScanline(tif_, band_.data(), y, 0) < 0) return fail("tiff: row damaged or short");
    return {};
  }
  if (!band_loaded_ || y < band_first_ || y >= band_first_ + band_rows_) {
    band_first_ = y - y % band_rows_;
    band_loaded_ = true;
    PIXKIT_TRY(load_band(band_first_));
  }
  return {};
}

const uint8_t* TiffRowSource::plane(uint16_t p) const {
  if (band_rows_ == 0) return band_.data();
  return band_.data() + p * scanline_ * band_rows_ + uint64_t(row_ - band_first_) * scanline_;
}

}  // namespace pixkit
