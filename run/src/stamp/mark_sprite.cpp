// SPDX-License-Identifier: GPL-3.0-or-later
// Watermark sprites: made, measured for their runs; sampling them scaled
// and turned is in mark_sampling.cpp, blending them in mark_blend.cpp.
#include "run/mark_sprite.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A run of one weight shorter than this gains nothing from its own blend.
constexpr int32_t kMinLevelRun = 16;

}  // namespace

MarkTurn MarkTurnOf(double angle) {
  if (!std::isfinite(angle)) return MarkTurn{};
  const double turned = std::fmod(angle, 360.0);
  const double quarters = turned / 90.0;
  if (quarters == std::floor(quarters)) {
    switch ((int(quarters) % 4 + 4) % 4) {
      case 0:
        return MarkTurn{1, 0};
      case 1:
        return MarkTurn{0, 1};
      case 2:
        return MarkTurn{-1, 0};
      default:
        return MarkTurn{0, -1};
    }
  }
  const double radians = turned * kPi / 180.0;
  return MarkTurn{std::cos(radians), std::sin(radians)};
}

MarkSprite MakeMarkSprite(int64_t width, int64_t height) {
  MarkSprite sprite;
  if (width <= 0 || height <= 0) return sprite;
  if (width > kMaxSpritePixels || height > kMaxSpritePixels || width * height > kMaxSpritePixels)
    throw std::bad_alloc();
  sprite.weight.assign(size_t(width * height), 0);
  sprite.colour.assign(3 * size_t(width * height), 0);
  sprite.width = int32_t(width);
  sprite.height = int32_t(height);
  return sprite;
}

void FindMarkRuns(MarkSprite& sprite) {
  const size_t rows = size_t(std::max(sprite.height, 0));
  sprite.run_first.assign(rows, 0);
  sprite.run_end.assign(rows, 0);
  sprite.level_first.assign(rows, 0);
  sprite.level_end.assign(rows, 0);
  for (int32_t y = 0; y < sprite.height; ++y) {
    const uint16_t* w = sprite.weight.data() + size_t(y) * size_t(sprite.width);
    int32_t first = 0, end = sprite.width;
    while (first < end && w[first] == 0) ++first;
    while (end > first && w[end - 1] == 0) --end;
    sprite.run_first[size_t(y)] = first;
    sprite.run_end[size_t(y)] = end;
    int32_t best_first = first, best_end = first;
    for (int32_t x = first; x < end;) {
      int32_t next = x + 1;
      while (next < end && w[next] == w[x]) ++next;
      if (next - x > best_end - best_first) {
        best_first = x;
        best_end = next;
      }
      x = next;
    }
    // Shorter runs are blended pixel by pixel with the rest of the row.
    if (best_end - best_first >= kMinLevelRun) {
      sprite.level_first[size_t(y)] = best_first;
      sprite.level_end[size_t(y)] = best_end;
    }
  }
}
