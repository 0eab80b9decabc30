// SPDX-License-Identifier: LGPL-2.1-or-later
#include "jpeg_orientation.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "codecs/metadata/exif_block.h"

namespace pixkit {
namespace {

// Tiles keep both the rows read and the rows written in cache while
// transposing.
constexpr int32_t kTile = 64;

void mirror_rows(Picture& picture, int pixel_bytes) {
  const int32_t w = picture.width();
  for (int32_t y = 0; y < picture.height(); ++y) {
    uint8_t* row = picture.row(y);
    for (int32_t a = 0, b = w - 1; a < b; ++a, --b)
      std::swap_ranges(row + int64_t(a) * pixel_bytes, row + int64_t(a + 1) * pixel_bytes,
                       row + int64_t(b) * pixel_bytes);
  }
}

void flip_rows(Picture& picture) {
  const size_t n = size_t(picture.row_bytes());
  std::vector<uint8_t> spare(n);
  for (int32_t a = 0, b = picture.height() - 1; a < b; ++a, --b) {
    std::memcpy(spare.data(), picture.row(a), n);
    std::memcpy(picture.row(a), picture.row(b), n);
    std::memcpy(picture.row(b), spare.data(), n);
  }
}

// Orientations 5..8: out(x, y) = in(sx, sy) with sx taken from y and sy
// from x.
Result<Picture> transpose(Picture& in, int orientation, int pixel_bytes) {
  const int32_t w = in.width(), h = in.height();
  auto made = Picture::create(h, w, in.bit_count(), false);
  if (!made) return made.as_error();
  Picture out = std::move(made.value());
  const bool column_from_right = orientation == 7 || orientation == 8;
  const bool row_from_bottom = orientation == 6 || orientation == 7;
  for (int32_t ty = 0; ty < w; ty += kTile) {
    for (int32_t tx = 0; tx < h; tx += kTile) {
      const int32_t y_end = std::min(ty + kTile, w), x_end = std::min(tx + kTile, h);
      for (int32_t y = ty; y < y_end; ++y) {
        uint8_t* dst = out.row(y);
        const int32_t sx = column_from_right ? w - 1 - y : y;
        for (int32_t x = tx; x < x_end; ++x) {
          const int32_t sy = row_from_bottom ? h - 1 - x : x;
          std::memcpy(dst + int64_t(x) * pixel_bytes, in.row(sy) + int64_t(sx) * pixel_bytes,
                      size_t(pixel_bytes));
        }
      }
    }
  }
  out.palette = std::move(in.palette);
  out.metadata = std::move(in.metadata);
  std::swap(out.metadata.x_pixels_per_meter, out.metadata.y_pixels_per_meter);
  return out;
}

Result<Picture> turn_whole_pixels(Picture picture, int orientation) {
  const int pixel_bytes = picture.bit_count() / 8;
  switch (orientation) {
    case 2:
      mirror_rows(picture, pixel_bytes);
      return picture;
    case 3:
      mirror_rows(picture, pixel_bytes);
      flip_rows(picture);
      return picture;
    case 4:
      flip_rows(picture);
      return picture;
    default:
      return transpose(picture, orientation, pixel_bytes);
  }
}

// Pixels of 1 and 4 bits share bytes; turning them one byte per pixel keeps
// the turning code to whole pixels.
Result<Picture> unpack_to_bytes(const Picture& packed) {
  auto wide = Picture::create(packed.width(), packed.height(), 8, false);
  if (!wide) return wide.as_error();
  const PictureView view = packed.view();
  for (int32_t y = 0; y < packed.height(); ++y) {
    const uint8_t* src = view.row(y);
    uint8_t* dst = wide->row(y);
    for (int32_t x = 0; x < packed.width(); ++x) dst[x] = view.index_at(src, x);
  }
  wide->palette = packed.palette;
  wide->metadata = packed.metadata;
  return wide;
}

}  // namespace

Result<Picture> turn_upright(Picture picture, int orientation) {
  if (orientation < 2 || orientation > 8) return picture;
  if (picture.bit_count() >= 8) return turn_whole_pixels(std::move(picture), orientation);
  auto wide = unpack_to_bytes(picture);
  if (!wide) return wide.as_error();
  auto turned = turn_whole_pixels(std::move(wide.value()), orientation);
  if (!turned) return turned.as_error();
  return finish_indexed(std::move(turned.value()));
}

// Turns the picture upright by its EXIF orientation and rewrites the EXIF
// to match. A damaged EXIF block is dropped; the picture stays.
Result<Picture> turn_upright_by_exif(Picture picture) {
  std::vector<uint8_t>& exif = picture.metadata.exif;
  if (exif.empty()) return picture;
  auto layout = read_exif_layout(exif);
  if (!layout) {
    exif.clear();
    return picture;
  }
  auto upright = turn_upright(std::move(picture), layout->orientation);
  if (!upright) return upright;
  if (!make_exif_upright(upright->metadata.exif, layout.value(), uint32_t(upright->width()),
                         uint32_t(upright->height())))
    upright->metadata.exif.clear();
  return upright;
}

}  // namespace pixkit
