// SPDX-License-Identifier: LGPL-2.1-or-later
// PNG writing through libpng: palette pictures as palette PNGs at their own
// depth, 24 and 32 bits as RGB and RGBA (16-bit pictures as RGB), with the
// resolution in pHYs, the EXIF block in eXIf and the ICC profile in iCCP.
//
// libpng reports errors by longjmp; the one function that calls it after
// setjmp holds only trivially destructible locals.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "codecs/codecs.h"
#include "codecs/metadata/exif_block.h"
#include "core/progress.h"

namespace pixkit {
namespace {

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  OutputFile* out = nullptr;
  const PictureView* view = nullptr;
  int level = 6;
  std::vector<png_color> palette;
  std::vector<uint8_t> exif;
  const std::vector<uint8_t>* icc = nullptr;
  std::vector<uint8_t> row;  // 16-bit pictures, converted one row at a time
};

void write_to_output(png_structp png, png_bytep data, png_size_t count) {
  static_cast<PngWrite*>(png_get_io_ptr(png))->out->write(data, count);
}
void flush_nothing(png_structp) {}
[[noreturn]] void jump_on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignore_warning(png_structp, png_const_charp) {}

int colour_type_of(int bit_count) {
  if (bit_count <= 8) return PNG_COLOR_TYPE_PALETTE;
  return bit_count == 32 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
}

bool run_png_writer(PngWrite* w) {
  if (setjmp(png_jmpbuf(w->png))) return false;
  const PictureView& view = *w->view;
  png_set_write_fn(w->png, w, write_to_output, flush_nothing);
  // A profile libpng finds odd is still the source's: keep it, don't fail.
  png_set_benign_errors(w->png, 1);
  png_set_compression_level(w->png, w->level);
  const int depth = view.bit_count <= 8 ? view.bit_count : 8;
  png_set_IHDR(w->png, w->info, png_uint_32(view.width), png_uint_32(view.height), depth,
               colour_type_of(view.bit_count), PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!w->palette.empty()) png_set_PLTE(w->png, w->info, w->palette.data(), int(w->palette.size()));
  const Metadata* metadata = view.metadata;
  if (metadata && metadata->x_pixels_per_meter > 0 && metadata->y_pixels_per_meter > 0)
    png_set_pHYs(w->png, w->info, png_uint_32(metadata->x_pixels_per_meter),
                 png_uint_32(metadata->y_pixels_per_meter), PNG_RESOLUTION_METER);
  if (w->icc)
    png_set_iCCP(w->png, w->info, "ICC Profile", PNG_COMPRESSION_TYPE_BASE, w->icc->data(),
                 png_uint_32(w->icc->size()));
  if (!w->exif.empty()) png_set_eXIf_1(w->png, w->info, png_uint_32(w->exif.size()), w->exif.data());
  png_write_info(w->png, w->info);
  if (view.bit_count >= 24) png_set_bgr(w->png);
  for (int32_t y = 0; y < view.height; ++y) {
    if (view.bit_count == 16) {
      row_to_bgr24(view, y, w->row.data());
      png_write_row(w->png, w->row.data());
    } else {
      png_write_row(w->png, const_cast<png_bytep>(view.row(y)));
    }
    report_progress(uint64_t(y) + 1, uint64_t(view.height));
  }
  png_write_end(w->png, w->info);
  return true;
}

}  // namespace

Status encode_png(const PictureView& picture, OutputFile& out, int level) {
  if (picture.width < 1 || picture.height < 1 || !picture.bits) return fail("png: no picture");
  PngWrite w;
  w.out = &out;
  w.view = &picture;
  w.level = level < 0 ? 0 : level > 9 ? 9 : level;
  if (picture.bit_count <= 8) {
    if (picture.palette.empty() || picture.palette.size() > 256)
      return fail("png: palette picture without palette");
    for (const Rgb& c : picture.palette) w.palette.push_back(png_color{c.r, c.g, c.b});
  }
  if (picture.bit_count == 16) w.row.resize(size_t(picture.width) * 3);
  if (picture.metadata) {
    w.exif = upright_exif_copy(picture.metadata->exif, uint32_t(picture.width), uint32_t(picture.height));
    if (!picture.metadata->icc.empty()) w.icc = &picture.metadata->icc;
  }
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jump_on_error, ignore_warning);
  if (!w.png) return fail_too_large("png: out of memory");
  w.info = png_create_info_struct(w.png);
  const bool written = w.info && run_png_writer(&w);
  png_destroy_write_struct(&w.png, &w.info);
  if (!written) return fail("png: encoder failed");
  if (out.failed()) return fail("png: write to the file failed");
  return {};
}

}  // namespace pixkit
