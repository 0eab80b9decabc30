// SPDX-License-Identifier: LGPL-2.1-or-later
// PNG through libpng, reading only (watermark logos). Palette pictures
// without transparency stay palette pictures; transparency of any kind
// (alpha channel or tRNS) is handed over as 32-bit BGRA so that a logo
// keeps its see-through parts; everything else is 24-bit BGR.
//
// libpng reports errors by longjmp. The two functions that call into it
// after setjmp hold only trivially destructible locals; every C++ object
// lives in decode_png, outside the jump's reach.
#include <png.h>

#include <array>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "codecs/codecs.h"
#include "core/limits.h"
#include "core/progress.h"
#include "core/source_reader.h"

namespace pixkit {
namespace {

// Ancillary chunks (text, ICC, EXIF) larger than this are refused rather
// than buffered; logos carry none that big.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t(8) << 20;

struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  SourceReader* in = nullptr;
  // Filled by read_png_header.
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int channels = 0;  // after the transforms: 1 (palette index), 3 or 4
  size_t row_bytes = 0;
  int palette_count = 0;
  png_colorp palette = nullptr;
};

void read_from_source(png_structp png, png_bytep out, png_size_t count) {
  auto* s = static_cast<PngSession*>(png_get_io_ptr(png));
  if (!s->in->copy_to(out, count)) png_error(png, "png: file truncated");
}

[[noreturn]] void jump_on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignore_warning(png_structp, png_const_charp) {}

// Reads up to the image data and sets the transforms. false on any error.
bool read_png_header(PngSession* s, png_uint_32 max_side) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_set_read_fn(s->png, s, read_from_source);
  png_set_user_limits(s->png, max_side, max_side);
  png_set_chunk_malloc_max(s->png, kMaxChunkBytes);
  png_read_info(s->png, s->info);

  const int colour_type = png_get_color_type(s->png, s->info);
  const int depth = png_get_bit_depth(s->png, s->info);
  const bool has_trns = png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0;
  if (depth == 16) png_set_scale_16(s->png);
  if (colour_type == PNG_COLOR_TYPE_PALETTE && !has_trns) {
    if (depth < 8) png_set_packing(s->png);  // one index per byte
  } else {
    if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s->png);
    if (colour_type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(s->png);
    if (has_trns) png_set_tRNS_to_alpha(s->png);
    if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA)
      png_set_gray_to_rgb(s->png);
    png_set_bgr(s->png);
  }
  png_set_interlace_handling(s->png);
  png_read_update_info(s->png, s->info);

  s->width = png_get_image_width(s->png, s->info);
  s->height = png_get_image_height(s->png, s->info);
  s->channels = png_get_channels(s->png, s->info);
  s->row_bytes = png_get_rowbytes(s->png, s->info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE && !has_trns &&
      !png_get_PLTE(s->png, s->info, &s->palette, &s->palette_count))
    s->palette_count = 0;
  return true;
}

// Decodes every row (all passes of an interlaced file) into rows[].
bool read_png_pixels(PngSession* s, png_bytepp rows) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_read_image(s->png, rows);
  return true;
}

// The chunk type and the width of the first chunk (IHDR), after the
// 8-byte signature and the 4-byte chunk length.
constexpr size_t kIhdrTypeOffset = 12;
constexpr size_t kIhdrWidthOffset = 16;

// The ICC profile (iCCP) and EXIF block (eXIf) libpng saw before the
// pixels, so that a PNG source keeps them in a PNG, WebP or AVIF output.
// The getters only read what png_read_info stored; they never jump.
void read_png_metadata(const PngSession& s, Metadata& metadata) {
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 profile_size = 0;
  if (png_get_iCCP(s.png, s.info, &name, &compression, &profile, &profile_size) && profile && profile_size)
    metadata.icc.assign(profile, profile + profile_size);
  png_uint_32 exif_size = 0;
  png_bytep exif = nullptr;
  if (png_get_eXIf_1(s.png, s.info, &exif_size, &exif) && exif && exif_size)
    metadata.exif.assign(exif, exif + exif_size);
}

class SessionCloser {
 public:
  explicit SessionCloser(PngSession& s) : s_(s) {}
  ~SessionCloser() { png_destroy_read_struct(&s_.png, s_.info ? &s_.info : nullptr, nullptr); }
  SessionCloser(const SessionCloser&) = delete;
  SessionCloser& operator=(const SessionCloser&) = delete;

 private:
  PngSession& s_;
};

// The size in the IHDR chunk, which must come first, checked against the
// limits before libpng sees the file: libpng's own refusal of a large side
// does not tell size from damage.
Status check_header_size(ByteSpan head) {
  ByteReader in(head.subspan(kIhdrWidthOffset));
  const auto width = in.be32(), height = in.be32();
  if (!width || !height || std::memcmp(head.data() + kIhdrTypeOffset, "IHDR", 4) != 0)
    return fail("png: no IHDR chunk first");
  if (*width == 0 || *height == 0) return fail("png: picture has no pixels");
  return check_dimensions(int64_t(*width), int64_t(*height));
}

}  // namespace

Result<Picture> decode_png(const RangeSource& file) {
  std::array<uint8_t, kIhdrWidthOffset + 8> head;
  if (!file.read(0, head.data(), head.size()) || png_sig_cmp(head.data(), 0, 8) != 0)
    return fail("png: no PNG signature");
  PIXKIT_TRY(check_header_size(head));
  SourceReader in(file);
  PngSession s;
  s.in = &in;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jump_on_error, ignore_warning);
  if (!s.png) return fail_too_large("png: out of memory");
  SessionCloser closer(s);
  s.info = png_create_info_struct(s.png);
  if (!s.info) return fail_too_large("png: out of memory");

  const int64_t max_side = current_limits().max_side;
  if (!read_png_header(&s, png_uint_32(max_side > 0x7fffffff ? 0x7fffffff : max_side)))
    return fail("png: header damaged");
  PIXKIT_TRY(check_dimensions(s.width, s.height));

  const int bit_count = s.channels == 1 ? 8 : s.channels == 3 ? 24 : s.channels == 4 ? 32 : 0;
  if (bit_count == 0 || s.row_bytes != size_t(s.width) * size_t(s.channels))
    return fail("png: unexpected row layout");
  if (bit_count == 8 && (s.palette_count < 1 || s.palette_count > 256 || !s.palette))
    return fail("png: palette picture without a usable palette");

  auto picture = Picture::create(int32_t(s.width), int32_t(s.height), bit_count, false);
  if (!picture) return picture.as_error();
  std::vector<png_bytep> rows(s.height);
  for (png_uint_32 y = 0; y < s.height; ++y) rows[y] = picture->row(int32_t(y));
  report_progress(0, 2);
  if (!read_png_pixels(&s, rows.data())) return fail("png: picture data damaged or truncated");
  report_progress(1, 2);

  read_png_metadata(s, picture->metadata);
  if (bit_count == 8) {
    picture->palette.resize(size_t(s.palette_count));
    for (int i = 0; i < s.palette_count; ++i)
      picture->palette[size_t(i)] = Rgb{s.palette[i].red, s.palette[i].green, s.palette[i].blue};
    return finish_indexed(std::move(picture.value()));
  }
  return picture;
}

}  // namespace pixkit
