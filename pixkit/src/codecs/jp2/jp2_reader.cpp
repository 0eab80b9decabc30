// SPDX-License-Identifier: LGPL-2.1-or-later
// JPEG 2000 through OpenJPEG: JP2 files and bare J2K codestreams, at full
// resolution. The header is checked against our limits before OpenJPEG
// allocates anything for the pixels. Grey and RGB come out at 24 bits,
// grey + alpha and RGBA at 32; samples of other precisions are scaled to
// 8 bits, signed samples moved to unsigned. Subsampled chroma (4:2:0 YCbCr
// and the like) is stretched to the first component's size by repeating
// samples.
#include <openjpeg.h>

#include <algorithm>
#include <cstring>

#include "codecs/codecs.h"
#include "core/limits.h"
#include "core/progress.h"
#include "jp2_memory_stream.h"

namespace pixkit {
namespace {

constexpr uint8_t kJ2kMagic[4] = {0xFF, 0x4F, 0xFF, 0x51};
constexpr OPJ_UINT32 kMaxPrecision = 16;
// The codestream's size marker holds subsampling in one byte, 1 to 255.
constexpr OPJ_UINT32 kMaxSubsampling = 255;

struct Geometry {
  int32_t width = 0;
  int32_t height = 0;
};

uint64_t ceil_div(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

// Samples of a component along one axis of the reference grid.
uint64_t component_extent(OPJ_UINT32 start, OPJ_UINT32 end, OPJ_UINT32 step) {
  return ceil_div(end, step) - ceil_div(start, step);
}

// The picture is handed over at the size of its first component: writers
// that subsample every component alike (a 2 x 2 reference grid) mean a
// picture of component size, and chroma subsampled against the first
// component is stretched to it. Every component must pass the size limits,
// because OpenJPEG allocates each at its own size.
Result<Geometry> check_image(const opj_image_t* image) {
  if (!image || image->x1 <= image->x0 || image->y1 <= image->y0) return fail("jp2: picture has no pixels");
  if (image->numcomps < 1 || image->numcomps > 4) return fail("jp2: not 1 to 4 components");
  if (!image->comps) return fail("jp2: no components");
  for (OPJ_UINT32 c = 0; c < image->numcomps; ++c) {
    const opj_image_comp_t& comp = image->comps[c];
    if (comp.prec < 1 || comp.prec > kMaxPrecision) return fail("jp2: component precision not 1 to 16");
    if (comp.dx < 1 || comp.dy < 1 || comp.dx > kMaxSubsampling || comp.dy > kMaxSubsampling)
      return fail("jp2: component subsampling out of range");
    PIXKIT_TRY(check_dimensions(int64_t(component_extent(image->x0, image->x1, comp.dx)),
                                int64_t(component_extent(image->y0, image->y1, comp.dy))));
  }
  if (image->color_space == OPJ_CLRSPC_CMYK) return fail("jp2: CMYK not supported");
  const opj_image_comp_t& first = image->comps[0];
  return Geometry{int32_t(component_extent(image->x0, image->x1, first.dx)),
                  int32_t(component_extent(image->y0, image->y1, first.dy))};
}

// A decoded component scaled to 8 bits, read at the first component's
// sample positions.
class ComponentReader {
 public:
  ComponentReader(const opj_image_comp_t& first, const opj_image_comp_t& comp) : first_(first), comp_(comp) {
    offset_ = comp.sgnd ? int64_t(1) << (comp.prec - 1) : 0;
    max_ = (int64_t(1) << comp.prec) - 1;
  }

  bool usable() const {
    return comp_.data && comp_.w > 0 && comp_.h > 0 && comp_.prec >= 1 && comp_.prec <= kMaxPrecision &&
           comp_.dx >= 1 && comp_.dy >= 1 && first_.dx >= 1 && first_.dy >= 1;
  }

  // Sample for picture pixel (x, y), both counted from the top left.
  uint8_t at(uint32_t x, uint32_t y) const {
    const int64_t gx = (int64_t(first_.x0) + x) * first_.dx, gy = (int64_t(first_.y0) + y) * first_.dy;
    const int64_t cx = std::clamp<int64_t>(gx / comp_.dx - comp_.x0, 0, int64_t(comp_.w) - 1);
    const int64_t cy = std::clamp<int64_t>(gy / comp_.dy - comp_.y0, 0, int64_t(comp_.h) - 1);
    const int64_t v = std::clamp<int64_t>(int64_t(comp_.data[cy * comp_.w + cx]) + offset_, 0, max_);
    if (max_ == 255) return uint8_t(v);
    return uint8_t((v * 255 + max_ / 2) / max_);
  }

 private:
  const opj_image_comp_t& first_;
  const opj_image_comp_t& comp_;
  int64_t offset_ = 0;
  int64_t max_ = 255;
};

uint8_t clamp_byte(int v) { return uint8_t(std::clamp(v, 0, 255)); }

// sYCC (full range, offset chroma) to RGB, in 8 bits; each term is rounded
// before it is added or taken away, so neutral chroma keeps grey grey.
void ycc_to_rgb(uint8_t y, uint8_t cb, uint8_t cr, uint8_t& r, uint8_t& g, uint8_t& b) {
  const int c = cb - 128, d = cr - 128;
  r = clamp_byte(y + ((91881 * d + 32768) >> 16));
  g = clamp_byte(y - ((22554 * c + 46802 * d + 32768) >> 16));
  b = clamp_byte(y + ((116130 * c + 32768) >> 16));
}

// Which components hold colour and which the alpha. OpenJPEG marks the
// opacity channel a JP2 channel definition box names, wherever it stands;
// without such a mark the last of two or four components is alpha.
struct ComponentRoles {
  OPJ_UINT32 colour[3] = {0, 0, 0};
  OPJ_UINT32 colour_count = 0;
  int alpha = -1;
};

ComponentRoles assign_roles(const opj_image_t* image) {
  ComponentRoles roles;
  const OPJ_UINT32 n = image->numcomps;
  for (OPJ_UINT32 c = 0; c < n && roles.alpha < 0; ++c)
    if (image->comps[c].alpha) roles.alpha = int(c);
  if (roles.alpha < 0 && (n == 2 || n == 4)) roles.alpha = int(n - 1);
  for (OPJ_UINT32 c = 0; c < n && roles.colour_count < 3; ++c)
    if (int(c) != roles.alpha) roles.colour[roles.colour_count++] = c;
  return roles;
}

Result<Picture> convert_image(const opj_image_t* image) {
  auto geometry = check_image(image);
  if (!geometry) return geometry.as_error();
  const Geometry g = geometry.value();
  const OPJ_UINT32 n = image->numcomps;
  const ComponentRoles roles = assign_roles(image);
  if (roles.colour_count == 0) return fail("jp2: no colour component");
  const bool colour = roles.colour_count >= 3;
  const bool alpha = roles.alpha >= 0;
  const opj_image_comp_t& luma = image->comps[roles.colour[0]];
  const opj_image_comp_t& blue_difference = image->comps[roles.colour[1]];
  // OpenJPEG leaves YCbCr to the caller; subsampled chroma without a stated
  // colour space is YCbCr in practice.
  const bool ycc = colour && (image->color_space == OPJ_CLRSPC_SYCC ||
                              (image->color_space == OPJ_CLRSPC_UNSPECIFIED &&
                               (blue_difference.dx > luma.dx || blue_difference.dy > luma.dy)));
  std::vector<ComponentReader> comps;
  for (OPJ_UINT32 c = 0; c < n; ++c) {
    comps.emplace_back(image->comps[0], image->comps[c]);
    if (!comps.back().usable()) return fail("jp2: component not decoded");
  }
  const ComponentReader& first = comps[roles.colour[0]];
  const ComponentReader& second = comps[roles.colour[1]];
  const ComponentReader& third = comps[roles.colour[2]];
  auto picture = Picture::create(g.width, g.height, alpha ? 32 : 24, false);
  if (!picture) return picture.as_error();
  const int channels = alpha ? 4 : 3;
  for (int32_t y = 0; y < g.height; ++y) {
    uint8_t* dst = picture->row(y);
    for (int32_t x = 0; x < g.width; ++x) {
      uint8_t* px = dst + size_t(x) * channels;
      uint8_t r, gr, b;
      if (colour) {
        r = first.at(uint32_t(x), uint32_t(y));
        gr = second.at(uint32_t(x), uint32_t(y));
        b = third.at(uint32_t(x), uint32_t(y));
        if (ycc) ycc_to_rgb(r, gr, b, r, gr, b);
      } else {
        r = gr = b = first.at(uint32_t(x), uint32_t(y));
      }
      px[0] = b;
      px[1] = gr;
      px[2] = r;
      if (alpha) px[3] = comps[size_t(roles.alpha)].at(uint32_t(x), uint32_t(y));
    }
    if (y % 64 == 0) report_progress(uint64_t(g.height + y), uint64_t(2 * g.height));
  }
  return picture;
}

}  // namespace

Result<Picture> decode_jp2(const RangeSource& file) {
  uint8_t magic[sizeof kJ2kMagic];
  const bool codestream =
      file.read(0, magic, sizeof magic) && std::memcmp(magic, kJ2kMagic, sizeof magic) == 0;
  Jp2Memory memory;
  memory.input = &file;
  Jp2StreamCloser stream{open_jp2_memory_stream(memory)};
  Jp2CodecCloser codec{opj_create_decompress(codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2)};
  if (!stream.stream || !codec.codec) return fail_too_large("jp2: out of memory");
  quiet_jp2_codec(codec.codec);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(codec.codec, &parameters)) return fail("jp2: decoder set-up failed");
  opj_codec_set_threads(codec.codec, 1);
  // Without strict mode a truncated codestream decodes to a partly grey
  // picture without complaint.
  opj_decoder_set_strict_mode(codec.codec, OPJ_TRUE);

  Jp2ImageCloser image;
  if (!opj_read_header(stream.stream, codec.codec, &image.image)) return fail("jp2: header damaged");
  // Everything OpenJPEG will allocate follows from these fields.
  auto geometry = check_image(image.image);
  if (!geometry) return geometry.as_error();
  if (!opj_set_decoded_resolution_factor(codec.codec, 0)) return fail("jp2: decoder set-up failed");
  report_progress(0, 2);
  if (!opj_decode(codec.codec, stream.stream, image.image)) return fail("jp2: picture data damaged");
  if (!opj_end_decompress(codec.codec, stream.stream)) return fail("jp2: picture data damaged");
  // A JP2 palette box or channel definitions may have changed the
  // components; convert_image checks them again.
  return convert_image(image.image);
}

}  // namespace pixkit
