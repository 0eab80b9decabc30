// SPDX-License-Identifier: LGPL-2.1-or-later
// WebP through libwebp. The encoder makes the bitstream, then WebPMux wraps
// it with the EXIF and ICC chunks when there are any (the plain bitstream
// file otherwise, as cwebp writes it). The decoder takes the whole file,
// which libwebp needs, and keeps alpha, EXIF and ICC.
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>
#include <vector>

#include "codecs/codecs.h"
#include "codecs/jpeg/jpeg_orientation.h"
#include "codecs/metadata/exif_block.h"
#include "codecs/whole_file.h"
#include "core/limits.h"
#include "core/progress.h"

namespace pixkit {
namespace {

int write_to_buffer(const uint8_t* data, size_t size, const WebPPicture* picture) {
  auto* buffer = static_cast<std::vector<uint8_t>*>(picture->custom_ptr);
  try {
    buffer->insert(buffer->end(), data, data + size);
  } catch (...) {
    return 0;
  }
  return 1;
}

struct PictureFree {
  void operator()(WebPPicture* p) const {
    WebPPictureFree(p);  // the pixels the library allocated
    delete p;
  }
};
struct MuxFree {
  void operator()(WebPMux* m) const { WebPMuxDelete(m); }
};
struct DemuxFree {
  void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};

// The rows top-down and tightly packed, as libwebp imports them.
std::vector<uint8_t> top_down_rows(const PictureView& view, int channels) {
  std::vector<uint8_t> rows(size_t(view.width) * size_t(view.height) * size_t(channels));
  for (int32_t y = 0; y < view.height; ++y) {
    uint8_t* out = rows.data() + size_t(y) * size_t(view.width) * size_t(channels);
    if (channels == 4)
      row_to_bgra32(view, y, out);
    else
      row_to_bgr24(view, y, out);
  }
  return rows;
}

Status wrap_with_metadata(const std::vector<uint8_t>& bitstream, const std::vector<uint8_t>& exif,
                          const std::vector<uint8_t>* icc, OutputFile& out) {
  std::unique_ptr<WebPMux, MuxFree> mux(WebPMuxNew());
  if (!mux) return fail_too_large("webp: out of memory");
  const WebPData image{bitstream.data(), bitstream.size()};
  if (WebPMuxSetImage(mux.get(), &image, 1) != WEBP_MUX_OK) return fail("webp: muxing failed");
  if (!exif.empty()) {
    const WebPData chunk{exif.data(), exif.size()};
    if (WebPMuxSetChunk(mux.get(), "EXIF", &chunk, 1) != WEBP_MUX_OK) return fail("webp: muxing failed");
  }
  if (icc) {
    const WebPData chunk{icc->data(), icc->size()};
    if (WebPMuxSetChunk(mux.get(), "ICCP", &chunk, 1) != WEBP_MUX_OK) return fail("webp: muxing failed");
  }
  WebPData assembled;
  WebPDataInit(&assembled);
  if (WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) return fail("webp: muxing failed");
  out.write(assembled.bytes, assembled.size);
  WebPDataClear(&assembled);
  return {};
}

// EXIF and ICC chunks of a file in the extended format.
void read_metadata_chunks(const std::vector<uint8_t>& file, Metadata& metadata) {
  const WebPData data{file.data(), file.size()};
  std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemux(&data));
  if (!demux) return;
  WebPChunkIterator chunk;
  if (WebPDemuxGetChunk(demux.get(), "EXIF", 1, &chunk)) {
    metadata.exif = exif_tiff_part(chunk.chunk.bytes, chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  if (WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
    metadata.icc.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
  }
}

}  // namespace

Status encode_webp(const PictureView& picture, OutputFile& out, int quality, bool lossless) {
  if (picture.width < 1 || picture.height < 1 || !picture.bits) return fail("webp: no picture");
  if (picture.width > WEBP_MAX_DIMENSION || picture.height > WEBP_MAX_DIMENSION)
    return fail("webp: picture too large");
  const bool alpha = picture.bit_count == 32 && has_translucent_pixels(picture);
  WebPConfig config;
  if (!WebPConfigInit(&config)) return fail("webp: library version mismatch");
  config.quality = float(quality < 0 ? 0 : quality > 100 ? 100 : quality);
  config.lossless = lossless ? 1 : 0;
  if (lossless) config.exact = 1;  // keep the colour under transparent pixels
  if (!WebPValidateConfig(&config)) return fail("webp: bad settings");

  std::vector<uint8_t> bitstream;
  {
    std::vector<uint8_t> rows = top_down_rows(picture, alpha ? 4 : 3);
    std::unique_ptr<WebPPicture, PictureFree> pic(new WebPPicture);
    if (!WebPPictureInit(pic.get())) return fail("webp: library version mismatch");
    pic->use_argb = lossless ? 1 : 0;
    pic->width = picture.width;
    pic->height = picture.height;
    const int imported = alpha ? WebPPictureImportBGRA(pic.get(), rows.data(), picture.width * 4)
                               : WebPPictureImportBGR(pic.get(), rows.data(), picture.width * 3);
    if (!imported) return fail_too_large("webp: out of memory");
    pic->writer = write_to_buffer;
    pic->custom_ptr = &bitstream;
    report_progress(1, 3);
    if (!WebPEncode(&config, pic.get())) return fail("webp: encoder failed");
  }
  report_progress(2, 3);
  std::vector<uint8_t> exif;
  const std::vector<uint8_t>* icc = nullptr;
  if (picture.metadata) {
    exif = upright_exif_copy(picture.metadata->exif, uint32_t(picture.width), uint32_t(picture.height));
    if (!picture.metadata->icc.empty()) icc = &picture.metadata->icc;
  }
  if (exif.empty() && !icc)
    out.write(bitstream.data(), bitstream.size());
  else
    PIXKIT_TRY(wrap_with_metadata(bitstream, exif, icc, out));
  if (out.failed()) return fail("webp: write to the file failed");
  return {};
}

Result<Picture> decode_webp(const RangeSource& file) {
  auto bytes = read_whole_file(file);
  if (!bytes) return bytes.as_error();
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(bytes->data(), bytes->size(), &features) != VP8_STATUS_OK)
    return fail("webp: header damaged");
  if (features.has_animation) return fail("webp: animations are not read");
  PIXKIT_TRY(check_dimensions(features.width, features.height));
  const int bit_count = features.has_alpha ? 32 : 24;
  auto picture = Picture::create(features.width, features.height, bit_count, false);
  if (!picture) return picture.as_error();
  // DIB rows are 4-byte aligned and bottom-up: decode top-down at that
  // stride from the bottom memory row, then turn the rows round.
  uint8_t* const first = picture->bits();
  const size_t total = size_t(picture->byte_size());
  const int stride = picture->row_bytes();
  const uint8_t* done = features.has_alpha
                            ? WebPDecodeBGRAInto(bytes->data(), bytes->size(), first, total, stride)
                            : WebPDecodeBGRInto(bytes->data(), bytes->size(), first, total, stride);
  if (!done) return fail("webp: picture data damaged");
  flip_rows(picture.value());
  read_metadata_chunks(bytes.value(), picture->metadata);
  return turn_upright_by_exif(std::move(picture.value()));
}

}  // namespace pixkit
