// SPDX-License-Identifier: LGPL-2.1-or-later
// TIFF through libtiff, LZW compressed: palette pictures (1, 4, 8 bits)
// with their colour map, 16 and 24 bits as 8-bit RGB, 32 bits as RGBA with
// straight alpha, and the ICC profile kept with the picture (tag 34675).
// The file is built in memory because libtiff seeks back to patch offsets,
// then handed to out in one piece.
#include <tiffio.h>

#include <algorithm>
#include <vector>

#include "codecs/codecs.h"
#include "core/progress.h"
#include "tiff_memory_io.h"

namespace pixkit {
namespace {

constexpr int32_t kProgressStep = 64;

Status write_header_fields(TIFF* tif, const PictureView& view) {
  const bool indexed = view.bit_count <= 8;
  const uint16_t samples = indexed ? 1 : view.bit_count == 32 ? 4 : 3;
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(view.width)) &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(view.height)) &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples) &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(indexed ? view.bit_count : 8)) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, indexed ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB) &&
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  // Horizontal differencing shrinks photographs; it means nothing for indices.
  if (ok && !indexed) ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  if (ok && samples == 4) {
    const uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
    ok = TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(1), kinds);
  }
  if (ok && indexed) {
    // The colour map always has 2^bits entries, 16 bits each.
    const size_t colours = size_t(1) << view.bit_count;
    std::vector<uint16_t> red(colours), green(colours), blue(colours);
    for (size_t i = 0; i < colours && i < view.palette.size(); ++i) {
      red[i] = uint16_t(view.palette[i].r * 257);
      green[i] = uint16_t(view.palette[i].g * 257);
      blue[i] = uint16_t(view.palette[i].b * 257);
    }
    ok = TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  if (ok && view.metadata && view.metadata->x_pixels_per_meter > 0 && view.metadata->y_pixels_per_meter > 0) {
    ok = TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER) &&
         TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(view.metadata->x_pixels_per_meter) / 100.0f) &&
         TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(view.metadata->y_pixels_per_meter) / 100.0f);
  }
  if (ok && view.metadata && !view.metadata->icc.empty())
    ok =
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, uint32_t(view.metadata->icc.size()), view.metadata->icc.data());
  return ok ? Status() : fail("tiff: could not set the header fields");
}

// One file row in TIFF sample order from view row y.
void convert_row(const PictureView& view, int32_t y, std::vector<uint8_t>& bgr, std::vector<uint8_t>& line) {
  const size_t w = size_t(view.width);
  if (view.bit_count <= 8) {
    // 1, 4 and 8-bit DIB rows already pack indices from the high bits.
    const size_t bytes = (w * size_t(view.bit_count) + 7) / 8;
    std::copy_n(view.row(y), bytes, line.data());
    return;
  }
  if (view.bit_count == 32) {
    row_to_bgra32(view, y, line.data());
    for (size_t x = 0; x < w; ++x) std::swap(line[4 * x], line[4 * x + 2]);
    return;
  }
  row_to_bgr24(view, y, bgr.data());
  for (size_t x = 0; x < w; ++x) {
    line[3 * x] = bgr[3 * x + 2];
    line[3 * x + 1] = bgr[3 * x + 1];
    line[3 * x + 2] = bgr[3 * x];
  }
}

Status write_tiff_in_memory(const PictureView& view, std::vector<uint8_t>& file) {
  TiffMemoryFile memory;
  memory.output = &file;
  TiffCloser tif{open_tiff_in_memory(memory, "w")};
  if (!tif.tif) return fail("tiff: could not start the file");
  PIXKIT_TRY(write_header_fields(tif.tif, view));

  const size_t w = size_t(view.width);
  std::vector<uint8_t> bgr(w * 3);
  std::vector<uint8_t> line(w * 4 + 4);
  for (int32_t y = 0; y < view.height; ++y) {
    convert_row(view, y, bgr, line);
    if (TIFFWriteScanline(tif.tif, line.data(), uint32_t(y), 0) < 0)
      return fail("tiff: could not write a row");
    if (y % kProgressStep == 0) report_progress(uint64_t(y), uint64_t(view.height));
  }
  if (!TIFFWriteDirectory(tif.tif)) return fail("tiff: could not write the directory");
  TIFFClose(tif.tif);
  tif.tif = nullptr;
  return {};
}

}  // namespace

Status encode_tiff(const PictureView& view, OutputFile& out) {
  if (view.bit_count != 1 && view.bit_count != 4 && view.bit_count != 8 && view.bit_count != 16 &&
      view.bit_count != 24 && view.bit_count != 32)
    return fail("tiff: unsupported bit count");
  std::vector<uint8_t> file;
  PIXKIT_TRY(write_tiff_in_memory(view, file));
  out.write(file.data(), file.size());
  return out.finish();
}

}  // namespace pixkit
