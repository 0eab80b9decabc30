// SPDX-License-Identifier: GPL-3.0-or-later
// The plain picture pass: nearest-neighbour sampling of the watermark at its
// placement and an integer blend with a fixed transparency.
//
// Every image column maps to one watermark column and every image row to one
// watermark row, independent of each other, so the mapping is worked out once
// per call into two tables (MapPictureAxis) instead of once per pixel; the
// tables hold exactly what the per-pixel formula gives.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/dib_access.h"
#include "picture_mapping.h"
#include "run/placement.h"
#include "run/plain_picture_pass.h"

namespace {

// One image row: out = (out * t + stamp_times_u) / 100 byte by byte. The
// stamp side is premultiplied once per watermark row; all terms are
// non-negative and at most 25500, so 16-bit lanes suffice and the loop
// vectorises.
void blend_row(uint8_t* out, const uint16_t* stamp_times_u, size_t count, unsigned t) {
  for (size_t i = 0; i < count; ++i) out[i] = uint8_t(uint16_t(out[i] * t + stamp_times_u[i]) / 100u);
}

}  // namespace

void StampPlainPicture(TDibImage& image, const TDibImage& watermark, const PlainPictureSettings& settings) {
  if (!DibHoldsPixels(image, 24) || !DibHoldsPixels(watermark, 24)) return;
  StampPlainPictureAt(
      image, watermark,
      PlaceBlockXY(settings.position, DibWidth(image), DibHeight(image), DibWidth(watermark),
                   DibHeight(watermark), settings.margin, settings.margin_y.value_or(settings.margin)),
      settings.transparency);
}

void StampPlainPictureAt(TDibImage& image, const TDibImage& watermark, const BlockPlacement& place,
                         int transparency) {
  if (!DibHoldsPixels(image, 24) || !DibHoldsPixels(watermark, 24) || !place.valid) return;
  const int32_t width = DibWidth(image);
  const int32_t height = DibHeight(image);
  const int32_t wm_width = DibWidth(watermark);
  const int32_t wm_height = DibHeight(watermark);

  const unsigned t = unsigned(std::clamp(transparency, 0, 100));
  const unsigned u = 100 - t;
  const std::vector<int32_t> columns = MapPictureAxis(width, place.left, place.scale, wm_width);
  const std::vector<int32_t> rows = MapPictureAxis(height, place.top, place.scale, wm_height);
  int32_t x0, x1, y0, y1;
  CoveredRun(columns, x0, x1);
  CoveredRun(rows, y0, y1);
  if (x0 >= x1 || y0 >= y1) return;

  // The covered span of one watermark row, laid out like the image row's
  // bytes and multiplied by u. Consecutive image rows often share a
  // watermark row when the picture is enlarged, so it is rebuilt only when
  // the watermark row changes.
  const size_t span_bytes = 3 * size_t(x1 - x0);
  std::vector<uint16_t> stamp(span_bytes);
  int32_t built_row = kNotCovered;
  for (int32_t y = y0; y < y1; ++y) {
    const int32_t sy = rows[size_t(y)];
    if (sy != built_row) {
      const uint8_t* src = DibRow(watermark, sy);
      uint16_t* s = stamp.data();
      for (int32_t x = x0; x < x1; ++x, s += 3) {
        const uint8_t* p = src + 3 * int64_t(columns[size_t(x)]);
        s[0] = uint16_t(p[0] * u);
        s[1] = uint16_t(p[1] * u);
        s[2] = uint16_t(p[2] * u);
      }
      built_row = sy;
    }
    blend_row(DibRow(image, y) + 3 * int64_t(x0), stamp.data(), span_bytes, t);
  }
}
