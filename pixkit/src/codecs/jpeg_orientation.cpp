#include "jpeg_orientation.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace pixkit {
namespace {

// Tiles keep both the rows read and the rows written in cache while
// transposing.
constexpr int32_t kTile = 64;

void mirror_rows(Picture& picture) {
  const int32_t w = picture.width();
  for (int32_t y = 0; y < picture.height(); ++y) {
    uint8_t* row = picture.row(y);
    for (int32_t a = 0, b = w - 1; a < b; ++a, --b)
      for (int c = 0; c < 3; ++c) std::swap(row[3 * a + c], row[3 * b + c]);
  }
}

void flip_rows(Picture& picture) {
  const size_t n = size_t(picture.width()) * 3;
  std::vector<uint8_t> spare(n);
  for (int32_t a = 0, b = picture.height() - 1; a < b; ++a, --b) {
    std::memcpy(spare.data(), picture.row(a), n);
    std::memcpy(picture.row(a), picture.row(b), n);
    std::memcpy(picture.row(b), spare.data(), n);
  }
}

// Orientations 5..8: out(x, y) = in(sx, sy) with sx taken from y and sy
// from x.
Result<Picture> transpose(Picture& in, int orientation) {
  const int32_t w = in.width(), h = in.height();
  auto made = Picture::create(h, w, 24, false);
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
          const uint8_t* src = in.row(sy) + 3 * int64_t(sx);
          dst[3 * x] = src[0];
          dst[3 * x + 1] = src[1];
          dst[3 * x + 2] = src[2];
        }
      }
    }
  }
  out.metadata = std::move(in.metadata);
  std::swap(out.metadata.x_pixels_per_meter, out.metadata.y_pixels_per_meter);
  return out;
}

}  // namespace

Result<Picture> turn_upright(Picture picture, int orientation) {
  if (picture.bit_count() != 24) return picture;
  switch (orientation) {
    case 2:
      mirror_rows(picture);
      return picture;
    case 3:
      mirror_rows(picture);
      flip_rows(picture);
      return picture;
    case 4:
      flip_rows(picture);
      return picture;
    case 5:
    case 6:
    case 7:
    case 8:
      return transpose(picture, orientation);
    default:
      return picture;
  }
}

}  // namespace pixkit
