// SPDX-License-Identifier: GPL-3.0-or-later
// Blending a sprite into the image at a corner, cut off at the image's
// edges.
//
// The blend runs byte by byte over a row: each pixel's weight is first
// spread over its three bytes in a row-long scratch line, so the blend
// itself is one plain loop over byte arrays, which the compiler
// vectorises. The sprite is read as it is held (two bytes of weight and
// three of colour a pixel): a mark blended at every tile stays small enough
// to be read from the cache tile after tile.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/dib_access.h"
#include "run/mark_sprite.h"
#include "wide_vectors.h"

namespace {

// The blend's quotient (image x (kMarkWeightFull - w) + mark x w) div
// kMarkWeightFull in single precision, which the compiler vectorises four
// or more bytes at a time where the integer division by a constant would
// need 64-bit products: both terms are whole numbers below 2^24, so they
// and their sum are exact; multiplied by this reciprocal (rounded up from
// 1/25500) and cut to a whole number, the sum gives the integer quotient
// for every value it can take (0 .. 255 x 25500), as a test checks one by
// one.
constexpr float kInverseWeightFull = 1.0f / float(kMarkWeightFull);

// count bytes of the image blended with the colours and the spread weights;
// weight 0 gives the byte back unchanged, so no test is needed.
STEMPORA_WIDE_VECTORS void blend_bytes(uint8_t* __restrict p, const uint8_t* __restrict colour,
                                       const uint16_t* __restrict weight, int64_t count) {
  for (int64_t i = 0; i < count; ++i) {
    const float mark = float(weight[i]);
    const float sum = float(p[i]) * (float(kMarkWeightFull) - mark) + float(colour[i]) * mark;
    p[i] = uint8_t(int32_t(sum * kInverseWeightFull));
  }
}

// The same with one weight for every byte.
STEMPORA_WIDE_VECTORS void blend_bytes_level(uint8_t* __restrict p, const uint8_t* __restrict colour,
                                             uint16_t weight, int64_t count) {
  const float mark = float(weight);
  const float keep = float(kMarkWeightFull) - mark;
  for (int64_t i = 0; i < count; ++i)
    p[i] = uint8_t(int32_t((float(p[i]) * keep + float(colour[i]) * mark) * kInverseWeightFull));
}

// One weight that is a whole multiple 255 x share (share 0 .. 100), as
// inside a picture without alpha or a fully covered glyph: the factor 255
// cancels, and (image x (100 - share) + mark x share) div 100 gives the
// same bytes in 16-bit lanes, as the plain pass blends.
STEMPORA_WIDE_VECTORS void blend_bytes_share(uint8_t* __restrict p, const uint8_t* __restrict colour,
                                             uint16_t share, int64_t count) {
  const uint16_t keep = uint16_t(100 - share);
  for (int64_t i = 0; i < count; ++i) p[i] = uint8_t(uint16_t(p[i] * keep + colour[i] * share) / 100u);
}

// count pixels of a row blended with the sprite's colours and weights, each
// pixel's weight spread over its three bytes in spread.
void blend_varied(uint8_t* p, const uint8_t* colour, const uint16_t* weight, int64_t count,
                  std::vector<uint16_t>& spread) {
  if (count <= 0) return;
  uint16_t* s = spread.data();
  for (int64_t i = 0; i < count; ++i, s += 3) s[0] = s[1] = s[2] = weight[i];
  blend_bytes(p, colour, spread.data(), 3 * count);
}

// count pixels of a row that all have the given weight.
void blend_level(uint8_t* p, const uint8_t* colour, uint16_t weight, int64_t count) {
  if (count <= 0) return;
  if (weight % 255 == 0)
    blend_bytes_share(p, colour, uint16_t(weight / 255), 3 * count);
  else
    blend_bytes_level(p, colour, weight, 3 * count);
}

}  // namespace

void BlendMarkSprite(TDibImage& image, const MarkSprite& sprite, int64_t left, int64_t top) {
  if (!DibHoldsPixels(image, 24) || sprite.empty()) return;
  const int64_t x0 = std::max<int64_t>(0, left);
  const int64_t y0 = std::max<int64_t>(0, top);
  const int64_t x1 = std::min<int64_t>(DibWidth(image), left + sprite.width);
  const int64_t y1 = std::min<int64_t>(DibHeight(image), top + sprite.height);
  if (x0 >= x1 || y0 >= y1) return;
  const bool has_runs = sprite.run_first.size() == size_t(sprite.height);
  const bool has_levels = sprite.level_first.size() == size_t(sprite.height);
  std::vector<uint16_t> spread(3 * size_t(x1 - x0));
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = y - top;
    const int64_t from = std::max(x0, has_runs ? left + sprite.run_first[size_t(sy)] : x0);
    const int64_t to = std::min(x1, has_runs ? left + sprite.run_end[size_t(sy)] : x1);
    if (from >= to) continue;
    // The row's run of one weight, cut to what is blended; the pixels
    // either side of it each with their own weight.
    const int64_t level_from =
        std::clamp<int64_t>(has_levels ? left + sprite.level_first[size_t(sy)] : from, from, to);
    const int64_t level_to =
        std::clamp<int64_t>(has_levels ? left + sprite.level_end[size_t(sy)] : from, level_from, to);
    const size_t row = size_t(sy * sprite.width - left);
    uint8_t* p = DibRow(image, int32_t(y));
    const uint8_t* colour = sprite.colour.data();
    const uint16_t* weight = sprite.weight.data();
    blend_varied(p + 3 * from, colour + 3 * (row + from), weight + row + from, level_from - from, spread);
    if (level_to > level_from)
      blend_level(p + 3 * level_from, colour + 3 * (row + level_from), weight[row + level_from],
                  level_to - level_from);
    blend_varied(p + 3 * level_to, colour + 3 * (row + level_to), weight + row + level_to, to - level_to,
                 spread);
  }
}
