// SPDX-License-Identifier: LGPL-2.1-or-later
// JPEG 2000 through OpenJPEG, lossless: a JP2 file with the reversible 5-3
// wavelet and the reversible colour transform, one quality layer. Every
// picture without alpha is written as 8-bit RGB (palettes expanded); 32-bit
// pictures as RGBA with the fourth component marked as alpha, which makes
// OpenJPEG write a channel definition box. A picture with an ICC profile
// says so in its colour specification (method 2, the profile itself);
// without one it declares sRGB.
#include <openjpeg.h>

#include <algorithm>
#include <vector>

#include "codecs/codecs.h"
#include "core/progress.h"
#include "jp2_colour_box.h"
#include "jp2_memory_stream.h"

namespace pixkit {
namespace {

constexpr int kMaxResolutions = 6;  // OpenJPEG's default

// OpenJPEG refuses more decomposition levels than the smaller side allows.
int resolutions_for(int32_t width, int32_t height) {
  int levels = 1;
  for (int32_t side = std::min(width, height); side > 1 && levels < kMaxResolutions; side /= 2) ++levels;
  return levels;
}

Result<opj_image_t*> make_image(const PictureView& view) {
  const OPJ_UINT32 components = view.bit_count == 32 ? 4 : 3;
  opj_image_cmptparm_t params[4] = {};
  for (OPJ_UINT32 c = 0; c < components; ++c) {
    params[c].dx = params[c].dy = 1;
    params[c].w = OPJ_UINT32(view.width);
    params[c].h = OPJ_UINT32(view.height);
    params[c].prec = 8;
    params[c].sgnd = 0;
  }
  opj_image_t* image = opj_image_create(components, params, OPJ_CLRSPC_SRGB);
  if (!image) return fail("jp2: out of memory for the picture");
  image->x0 = image->y0 = 0;
  image->x1 = OPJ_UINT32(view.width);
  image->y1 = OPJ_UINT32(view.height);
  if (components == 4) image->comps[3].alpha = 1;

  std::vector<uint8_t> line(size_t(view.width) * 4);
  for (int32_t y = 0; y < view.height; ++y) {
    const size_t base = size_t(y) * size_t(view.width);
    if (components == 4) {
      row_to_bgra32(view, y, line.data());
      for (int32_t x = 0; x < view.width; ++x) {
        const uint8_t* px = &line[4 * size_t(x)];
        image->comps[0].data[base + size_t(x)] = px[2];
        image->comps[1].data[base + size_t(x)] = px[1];
        image->comps[2].data[base + size_t(x)] = px[0];
        image->comps[3].data[base + size_t(x)] = px[3];
      }
    } else {
      row_to_bgr24(view, y, line.data());
      for (int32_t x = 0; x < view.width; ++x) {
        const uint8_t* px = &line[3 * size_t(x)];
        image->comps[0].data[base + size_t(x)] = px[2];
        image->comps[1].data[base + size_t(x)] = px[1];
        image->comps[2].data[base + size_t(x)] = px[0];
      }
    }
  }
  return image;
}

Status compress_into(const PictureView& view, std::vector<uint8_t>& file) {
  auto made = make_image(view);
  if (!made) return made.as_error();
  Jp2ImageCloser image{made.value()};

  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.tcp_rates[0] = 0;  // no rate target: every bit kept
  parameters.cp_disto_alloc = 1;
  parameters.irreversible = 0;  // 5-3 wavelet
  parameters.tcp_mct = 1;       // reversible colour transform on the first three components
  parameters.numresolution = resolutions_for(view.width, view.height);

  Jp2CodecCloser codec{opj_create_compress(OPJ_CODEC_JP2)};
  if (!codec.codec) return fail("jp2: out of memory");
  quiet_jp2_codec(codec.codec);
  if (!opj_setup_encoder(codec.codec, &parameters, image.image)) return fail("jp2: encoder set-up failed");
  opj_codec_set_threads(codec.codec, 1);

  Jp2Memory memory;
  memory.output = &file;
  Jp2StreamCloser stream{open_jp2_memory_stream(memory)};
  if (!stream.stream) return fail("jp2: out of memory");
  report_progress(1, 3);
  if (!opj_start_compress(codec.codec, image.image, stream.stream) ||
      !opj_encode(codec.codec, stream.stream) || !opj_end_compress(codec.codec, stream.stream))
    return fail("jp2: compression failed");
  report_progress(2, 3);
  return {};
}

}  // namespace

Status encode_jp2(const PictureView& view, OutputFile& out) {
  if (view.bit_count != 1 && view.bit_count != 4 && view.bit_count != 8 && view.bit_count != 16 &&
      view.bit_count != 24 && view.bit_count != 32)
    return fail("jp2: unsupported bit count");
  std::vector<uint8_t> file;
  PIXKIT_TRY(compress_into(view, file));
  if (view.metadata && !view.metadata->icc.empty())
    PIXKIT_TRY(put_icc_into_colour_box(file, view.metadata->icc));
  out.write(file.data(), file.size());
  return out.finish();
}

}  // namespace pixkit
