// SPDX-License-Identifier: GPL-3.0-or-later
// Blending a sprite into the image at a corner, cut off at the image's
// edges; a sprite blended many times has its two blend terms prepared once.
#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "image/dib_access.h"
#include "run/mark_sprite.h"

void PrepareRepeatedBlend(MarkSprite& sprite) {
  if (sprite.empty() || int64_t(sprite.width) * sprite.height > kHeldMarkPixels) return;
  const size_t count = size_t(sprite.width) * size_t(sprite.height);
  try {
    sprite.keep_bytes.resize(3 * count);
    sprite.mark_bytes.resize(3 * count);
  } catch (const std::bad_alloc&) {
    sprite.keep_bytes.clear();
    sprite.mark_bytes.clear();
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    const uint32_t w = sprite.weight[i];
    for (size_t k = 0; k < 3; ++k) {
      sprite.keep_bytes[3 * i + k] = uint16_t(kMarkWeightFull - w);
      sprite.mark_bytes[3 * i + k] = sprite.colour[3 * i + k] * w;
    }
  }
}

void BlendMarkSprite(TDibImage& image, const MarkSprite& sprite, int64_t left, int64_t top) {
  if (!DibHoldsPixels(image, 24) || sprite.empty()) return;
  const int64_t x0 = std::max<int64_t>(0, left);
  const int64_t y0 = std::max<int64_t>(0, top);
  const int64_t x1 = std::min<int64_t>(DibWidth(image), left + sprite.width);
  const int64_t y1 = std::min<int64_t>(DibHeight(image), top + sprite.height);
  if (x0 >= x1 || y0 >= y1) return;
  const bool has_runs = sprite.run_first.size() == size_t(sprite.height);
  const size_t pixels = size_t(sprite.width) * size_t(sprite.height);
  const bool prepared = sprite.keep_bytes.size() == 3 * pixels && sprite.mark_bytes.size() == 3 * pixels;
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = y - top;
    const int64_t from = std::max(x0, has_runs ? left + sprite.run_first[size_t(sy)] : x0);
    const int64_t to = std::min(x1, has_runs ? left + sprite.run_end[size_t(sy)] : x1);
    if (from >= to) continue;
    uint8_t* p = DibRow(image, int32_t(y)) + 3 * from;
    const size_t first = size_t(sy * sprite.width + (from - left));
    if (prepared) {
      const uint16_t* keep = sprite.keep_bytes.data() + 3 * first;
      const uint32_t* mark = sprite.mark_bytes.data() + 3 * first;
      for (int64_t i = 0; i < 3 * (to - from); ++i)
        p[i] = uint8_t((p[i] * uint32_t(keep[i]) + mark[i]) / kMarkWeightFull);
      continue;
    }
    const uint16_t* w = sprite.weight.data() + first;
    const uint8_t* c = sprite.colour.data() + 3 * first;
    for (int64_t i = 0; i < to - from; ++i, p += 3, c += 3) {
      // All terms non-negative and at most 255 x 25500, well inside 32 bits.
      // Weight 0 gives the byte back unchanged, so no test is needed and
      // the loop vectorises.
      const uint32_t mark = w[i];
      const uint32_t keep = kMarkWeightFull - mark;
      p[0] = uint8_t((p[0] * keep + c[0] * mark) / kMarkWeightFull);
      p[1] = uint8_t((p[1] * keep + c[1] * mark) / kMarkWeightFull);
      p[2] = uint8_t((p[2] * keep + c[2] * mark) / kMarkWeightFull);
    }
  }
}
