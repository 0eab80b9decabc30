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

// Where the compiler can make a copy of a function for wider vectors, chosen
// when the program starts by what the processor has, the blend gets one;
// the plain copy runs everywhere else, to the same bytes.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define STEMPORA_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define STEMPORA_WIDE_VECTORS
#endif

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

}  // namespace

void BlendMarkSprite(TDibImage& image, const MarkSprite& sprite, int64_t left, int64_t top) {
  if (!DibHoldsPixels(image, 24) || sprite.empty()) return;
  const int64_t x0 = std::max<int64_t>(0, left);
  const int64_t y0 = std::max<int64_t>(0, top);
  const int64_t x1 = std::min<int64_t>(DibWidth(image), left + sprite.width);
  const int64_t y1 = std::min<int64_t>(DibHeight(image), top + sprite.height);
  if (x0 >= x1 || y0 >= y1) return;
  const bool has_runs = sprite.run_first.size() == size_t(sprite.height);
  std::vector<uint16_t> spread(3 * size_t(x1 - x0));
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = y - top;
    const int64_t from = std::max(x0, has_runs ? left + sprite.run_first[size_t(sy)] : x0);
    const int64_t to = std::min(x1, has_runs ? left + sprite.run_end[size_t(sy)] : x1);
    if (from >= to) continue;
    const size_t first = size_t(sy * sprite.width + (from - left));
    const uint16_t* w = sprite.weight.data() + first;
    uint16_t* s = spread.data();
    for (int64_t i = 0; i < to - from; ++i, s += 3) s[0] = s[1] = s[2] = w[i];
    blend_bytes(DibRow(image, int32_t(y)) + 3 * from, sprite.colour.data() + 3 * first, spread.data(),
                3 * (to - from));
  }
}
