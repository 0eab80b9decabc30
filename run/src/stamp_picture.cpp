// The picture pass: nearest-neighbour sampling of the watermark at its
// placement and an integer blend with a fixed transparency.
//
// Every image column maps to one watermark column and every image row to one
// watermark row, independent of each other, so the mapping is worked out once
// per call into two tables instead of once per pixel. The tables hold exactly
// what the per-pixel formula gives: the offset by subtraction when the scale
// is exactly 1, else the floating-point quotient truncated toward zero, which
// also takes in the columns and rows just before the block's left and top
// edges whose quotient lies strictly between -1 and 0.
#include "run/stamp_picture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/dib_access.h"
#include "run/placement.h"
#include "stamp_extras.h"

namespace {

constexpr int32_t kNotCovered = -1;

// Watermark coordinate of each image coordinate 0..extent-1, or kNotCovered.
std::vector<int32_t> map_axis(int32_t extent, int64_t start, double scale, int32_t source_extent) {
  std::vector<int32_t> map(size_t(extent), kNotCovered);
  for (int32_t i = 0; i < extent; ++i) {
    const int64_t d = int64_t(i) - start;
    if (scale == 1.0) {
      if (d >= 0 && d < source_extent) map[size_t(i)] = int32_t(d);
    } else {
      // Compare before converting: the quotient may not fit any integer.
      const double q = double(d) / scale;
      if (q > -1.0 && q < double(source_extent)) map[size_t(i)] = int32_t(q);  // truncates toward zero
    }
  }
  return map;
}

// First and one-past-last covered index; the mapping is monotonic, so the
// covered indices form one run.
void covered_run(const std::vector<int32_t>& map, int32_t& first, int32_t& end) {
  first = 0;
  while (first < int32_t(map.size()) && map[size_t(first)] == kNotCovered) ++first;
  end = first;
  while (end < int32_t(map.size()) && map[size_t(end)] != kNotCovered) ++end;
}

// One image row: out = (out * t + stamp_times_u) / 100 byte by byte. The
// stamp side is premultiplied once per watermark row; all terms are
// non-negative and at most 25500, so 16-bit lanes suffice and the loop
// vectorises.
void blend_row(uint8_t* out, const uint16_t* stamp_times_u, size_t count, unsigned t) {
  for (size_t i = 0; i < count; ++i) out[i] = uint8_t(uint16_t(out[i] * t + stamp_times_u[i]) / 100u);
}

}  // namespace

void BlendMappedSprite(TDibImage& image, const MarkSprite& sprite, const BlockPlacement& place) {
  if (!DibHoldsPixels(image, 24) || sprite.empty() || !place.valid) return;
  const std::vector<int32_t> columns = map_axis(DibWidth(image), place.left, place.scale, sprite.width);
  const std::vector<int32_t> rows = map_axis(DibHeight(image), place.top, place.scale, sprite.height);
  int32_t x0, x1, y0, y1;
  covered_run(columns, x0, x1);
  covered_run(rows, y0, y1);
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* p = DibRow(image, y) + 3 * int64_t(x0);
    const size_t row = size_t(rows[size_t(y)]) * size_t(sprite.width);
    for (int32_t x = x0; x < x1; ++x, p += 3) {
      const size_t i = row + size_t(columns[size_t(x)]);
      const uint32_t mark = sprite.weight[i];
      if (mark == 0) continue;
      const uint32_t keep = kMarkWeightFull - mark;
      const uint8_t* c = &sprite.colour[3 * i];
      p[0] = uint8_t((p[0] * keep + c[0] * mark) / kMarkWeightFull);
      p[1] = uint8_t((p[1] * keep + c[1] * mark) / kMarkWeightFull);
      p[2] = uint8_t((p[2] * keep + c[2] * mark) / kMarkWeightFull);
    }
  }
}

void StampPicture(TDibImage& image, const TDibImage& watermark, const PictureStampSettings& settings) {
  // A 32-bit watermark comes only from a load that kept its alpha; the
  // extras path composes it over white when that option is off again.
  if (settings.extras.any() || DibHoldsPixels(watermark, 32)) {
    StampPictureExtras(image, watermark, settings);
    return;
  }
  if (!DibHoldsPixels(image, 24) || !DibHoldsPixels(watermark, 24)) return;
  StampPlainPicture(image, watermark,
                    PlaceBlock(settings.position, DibWidth(image), DibHeight(image), DibWidth(watermark),
                               DibHeight(watermark), settings.margin),
                    settings.transparency);
}

void StampPlainPicture(TDibImage& image, const TDibImage& watermark, const BlockPlacement& place,
                       int transparency) {
  if (!DibHoldsPixels(image, 24) || !DibHoldsPixels(watermark, 24) || !place.valid) return;
  const int32_t width = DibWidth(image);
  const int32_t height = DibHeight(image);
  const int32_t wm_width = DibWidth(watermark);
  const int32_t wm_height = DibHeight(watermark);

  const unsigned t = unsigned(std::clamp(transparency, 0, 100));
  const unsigned u = 100 - t;
  const std::vector<int32_t> columns = map_axis(width, place.left, place.scale, wm_width);
  const std::vector<int32_t> rows = map_axis(height, place.top, place.scale, wm_height);
  int32_t x0, x1, y0, y1;
  covered_run(columns, x0, x1);
  covered_run(rows, y0, y1);
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
