// SPDX-License-Identifier: LGPL-2.1-or-later
// AVIF through libavif: 8-bit 4:2:0 pictures, alpha as its own plane
// (encoded without loss, so a logo's edges stay), EXIF and ICC in the
// container. libavif picks its AV1 encoder itself: Debian 12's package has
// libaom, rav1e and SVT-AV1 built in and takes libaom. One thread per picture: the run already
// keeps every core busy with pictures of its own.
#include <avif/avif.h>

#include <algorithm>
#include <cmath>
#include <cstring>
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

struct ImageFree {
  void operator()(avifImage* i) const { avifImageDestroy(i); }
};
struct EncoderFree {
  void operator()(avifEncoder* e) const { avifEncoderDestroy(e); }
};
struct DecoderFree {
  void operator()(avifDecoder* d) const { avifDecoderDestroy(d); }
};

// Quality 0..100 onto libavif's quantizer 63..0 (this version knows no
// quality setting of its own).
int quantizer_of(int quality) {
  quality = quality < 0 ? 0 : quality > 100 ? 100 : quality;
  return int(std::lround((100 - quality) * double(AVIF_QUANTIZER_WORST_QUALITY) / 100.0));
}

// The EXIF orientation (1..8) that the irot (anticlockwise quarter turns)
// and imir boxes amount to, rotation first; 0 without either box. Mirror
// mode 0 exchanges top and bottom, mode 1 left and right, which is mode 0
// after a half turn.
int orientation_of_boxes(const avifImage& image) {
  const bool rotated = (image.transformFlags & AVIF_TRANSFORM_IROT) != 0;
  const bool mirrored = (image.transformFlags & AVIF_TRANSFORM_IMIR) != 0;
  if (!rotated && !mirrored) return 0;
  int turns = rotated ? image.irot.angle & 3 : 0;
  static const int kPlain[4] = {1, 8, 3, 6};
  static const int kTopBottom[4] = {4, 5, 2, 7};
  if (!mirrored) return kPlain[turns];
  if (image.imir.mode == 1) turns = (turns + 2) & 3;
  return kTopBottom[turns];
}

}  // namespace

Status encode_avif(const PictureView& picture, OutputFile& out, int quality, int speed) {
  if (picture.width < 1 || picture.height < 1 || !picture.bits) return fail("avif: no picture");
  const bool alpha = picture.bit_count == 32 && has_translucent_pixels(picture);
  std::unique_ptr<avifImage, ImageFree> image(
      avifImageCreate(uint32_t(picture.width), uint32_t(picture.height), 8, AVIF_PIXEL_FORMAT_YUV420));
  if (!image) return fail_too_large("avif: out of memory");
  // libavif reads the rows top-down at a positive stride: a packed copy.
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image.get());
  rgb.format = alpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
  rgb.depth = 8;
  const size_t channels = alpha ? 4 : 3;
  std::vector<uint8_t> rows(size_t(picture.width) * size_t(picture.height) * channels);
  for (int32_t y = 0; y < picture.height; ++y) {
    uint8_t* row = rows.data() + size_t(y) * size_t(picture.width) * channels;
    if (alpha)
      row_to_bgra32(picture, y, row);
    else
      row_to_bgr24(picture, y, row);
  }
  rgb.pixels = rows.data();
  rgb.rowBytes = uint32_t(size_t(picture.width) * channels);
  if (avifImageRGBToYUV(image.get(), &rgb) != AVIF_RESULT_OK) return fail("avif: colour conversion failed");
  std::vector<uint8_t>().swap(rows);
  if (picture.metadata) {
    const std::vector<uint8_t> exif =
        upright_exif_copy(picture.metadata->exif, uint32_t(picture.width), uint32_t(picture.height));
    if (!exif.empty()) avifImageSetMetadataExif(image.get(), exif.data(), exif.size());
    if (!picture.metadata->icc.empty())
      avifImageSetProfileICC(image.get(), picture.metadata->icc.data(), picture.metadata->icc.size());
  }
  report_progress(1, 3);

  std::unique_ptr<avifEncoder, EncoderFree> encoder(avifEncoderCreate());
  if (!encoder) return fail_too_large("avif: out of memory");
  encoder->maxThreads = 1;
  encoder->speed = speed < AVIF_SPEED_SLOWEST   ? AVIF_SPEED_SLOWEST
                   : speed > AVIF_SPEED_FASTEST ? AVIF_SPEED_FASTEST
                                                : speed;
  encoder->minQuantizer = encoder->maxQuantizer = quantizer_of(quality);
  encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
  avifRWData output = AVIF_DATA_EMPTY;
  const avifResult result = avifEncoderWrite(encoder.get(), image.get(), &output);
  if (result != AVIF_RESULT_OK) {
    avifRWDataFree(&output);
    return result == AVIF_RESULT_NO_CODEC_AVAILABLE ? fail("avif: no AV1 encoder in libavif")
                                                    : fail("avif: encoder failed");
  }
  out.write(output.data, output.size);
  avifRWDataFree(&output);
  if (out.failed()) return fail("avif: write to the file failed");
  return {};
}

Result<Picture> decode_avif(const RangeSource& file) {
  auto bytes = read_whole_file(file);
  if (!bytes) return bytes.as_error();
  std::unique_ptr<avifDecoder, DecoderFree> decoder(avifDecoderCreate());
  if (!decoder) return fail_too_large("avif: out of memory");
  decoder->maxThreads = 1;
  const Limits limits = current_limits();
  decoder->imageSizeLimit = uint32_t(std::min<int64_t>(limits.max_pixels, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
  if (avifDecoderSetIOMemory(decoder.get(), bytes->data(), bytes->size()) != AVIF_RESULT_OK ||
      avifDecoderParse(decoder.get()) != AVIF_RESULT_OK)
    return fail("avif: header damaged");
  const avifImage* header = decoder->image;
  PIXKIT_TRY(check_dimensions(int64_t(header->width), int64_t(header->height)));
  if (avifDecoderNextImage(decoder.get()) != AVIF_RESULT_OK) return fail("avif: picture data damaged");
  avifImage* image = decoder->image;
  const bool alpha = image->alphaPlane != nullptr;
  auto picture = Picture::create(int32_t(image->width), int32_t(image->height), alpha ? 32 : 24, false);
  if (!picture) return picture.as_error();
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image);
  rgb.format = alpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
  rgb.depth = 8;
  // Top-down at the DIB's stride from the bottom memory row, then turned.
  rgb.pixels = picture->bits();
  rgb.rowBytes = uint32_t(picture->row_bytes());
  if (avifImageYUVToRGB(image, &rgb) != AVIF_RESULT_OK) return fail("avif: colour conversion failed");
  flip_rows(picture.value());
  picture->metadata.exif = exif_tiff_part(image->exif.data, image->exif.size);
  if (image->icc.size) picture->metadata.icc.assign(image->icc.data, image->icc.data + image->icc.size);
  // The container's rotation and mirror boxes say how to show the picture,
  // as viewers do; without them the EXIF orientation does, as in a JPEG.
  const int orientation = orientation_of_boxes(*image);
  if (orientation != 0) return turn_upright(std::move(picture.value()), orientation);
  return turn_upright_by_exif(std::move(picture.value()));
}

}  // namespace pixkit
