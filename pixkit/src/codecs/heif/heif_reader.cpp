// SPDX-License-Identifier: LGPL-2.1-or-later
// HEIF/HEIC through libheif, reading only: the primary picture, turned by
// the container's rotation and mirror boxes as libheif does by default (so
// the EXIF orientation is not applied a second time), with alpha, EXIF and
// the ICC profile.
#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <vector>

#include "codecs/codecs.h"
#include "codecs/whole_file.h"
#include "core/limits.h"

namespace pixkit {
namespace {

struct ContextFree {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageFree {
  void operator()(heif_image* i) const { heif_image_release(i); }
};

void read_heif_metadata(heif_image_handle* handle, Metadata& metadata) {
  heif_item_id id;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) == 1) {
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    std::vector<uint8_t> block(size);
    if (size > 0 && heif_image_handle_get_metadata(handle, id, block.data()).code == heif_error_Ok)
      metadata.exif = exif_tiff_part(block.data(), block.size());
  }
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
  if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
    const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    metadata.icc.resize(size);
    if (size == 0 ||
        heif_image_handle_get_raw_color_profile(handle, metadata.icc.data()).code != heif_error_Ok)
      metadata.icc.clear();
  }
}

}  // namespace

Result<Picture> decode_heif(const RangeSource& file) {
  auto bytes = read_whole_file(file);
  if (!bytes) return bytes.as_error();
  std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
  if (!context) return fail_too_large("heif: out of memory");
  if (heif_context_read_from_memory_without_copy(context.get(), bytes->data(), bytes->size(), nullptr).code !=
      heif_error_Ok)
    return fail("heif: container damaged");
  heif_image_handle* raw_handle = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &raw_handle).code != heif_error_Ok)
    return fail("heif: no primary picture");
  std::unique_ptr<heif_image_handle, HandleFree> handle(raw_handle);
  PIXKIT_TRY(check_dimensions(heif_image_handle_get_width(handle.get()),
                              heif_image_handle_get_height(handle.get())));
  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
  heif_image* raw_image = nullptr;
  if (heif_decode_image(handle.get(), &raw_image, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr)
          .code != heif_error_Ok)
    return fail("heif: picture data damaged");
  std::unique_ptr<heif_image, ImageFree> image(raw_image);
  const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
  PIXKIT_TRY(check_dimensions(width, height));
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (!plane || stride < width * (alpha ? 4 : 3)) return fail("heif: picture data damaged");
  auto picture = Picture::create(width, height, alpha ? 32 : 24, false);
  if (!picture) return picture.as_error();
  const int channels = alpha ? 4 : 3;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = plane + size_t(y) * size_t(stride);
    uint8_t* out = picture->row(y);
    for (int x = 0; x < width; ++x, in += channels, out += channels) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      if (alpha) out[3] = in[3];
    }
  }
  read_heif_metadata(handle.get(), picture->metadata);
  return picture;
}

}  // namespace pixkit
