// SPDX-License-Identifier: GPL-3.0-or-later
// Watermark sprites: made once per image, turned and scaled once; blending
// them into the image is in mark_blend.cpp.
//
// Turning samples each target pixel's centre back into the source. The
// bilinear taps are weighted by the source weights (premultiplied), so a
// transparent neighbour lends no colour: the edges of a turned mark fade
// instead of darkening.
#include "run/mark_sprite.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The smallest box around the points added.
struct Bounds {
  double x0 = std::numeric_limits<double>::infinity();
  double y0 = std::numeric_limits<double>::infinity();
  double x1 = -std::numeric_limits<double>::infinity();
  double y1 = -std::numeric_limits<double>::infinity();
  void add(double x, double y) {
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
  }
};

MarkSprite turn_nearest(const MarkSprite& source, double scale, int64_t block_width, int64_t block_height) {
  // Whole source pixels before and after the block keep their count,
  // scaled; for a picture the sprite is the block and nothing is outside.
  const int64_t before_x = int64_t(std::ceil(double(source.block_left) * scale));
  const int64_t before_y = int64_t(std::ceil(double(source.block_top) * scale));
  const int64_t after_x =
      int64_t(std::ceil(double(source.width - source.block_left - source.block_width) * scale));
  const int64_t after_y =
      int64_t(std::ceil(double(source.height - source.block_top - source.block_height) * scale));
  MarkSprite out = MakeMarkSprite(before_x + block_width + after_x, before_y + block_height + after_y);
  if (out.empty()) return out;
  out.block_left = before_x;
  out.block_top = before_y;
  out.block_width = block_width;
  out.block_height = block_height;
  // Source column = block column div scale, as the plain pass maps it.
  const auto source_index = [scale](int64_t target, int64_t before, int64_t source_before, int64_t extent) {
    const double q = std::floor(double(target - before) / scale) + double(source_before);
    return q < 0 || q >= double(extent) ? int64_t(-1) : int64_t(q);
  };
  std::vector<int64_t> columns(size_t(out.width));
  for (int64_t x = 0; x < out.width; ++x)
    columns[size_t(x)] = source_index(x, before_x, source.block_left, source.width);
  for (int64_t y = 0; y < out.height; ++y) {
    const int64_t sy = source_index(y, before_y, source.block_top, source.height);
    if (sy < 0) continue;
    for (int64_t x = 0; x < out.width; ++x) {
      const int64_t sx = columns[size_t(x)];
      if (sx < 0) continue;
      const size_t from = size_t(sy * source.width + sx);
      const size_t to = size_t(y * out.width + x);
      out.weight[to] = source.weight[from];
      std::copy_n(&source.colour[3 * from], 3, &out.colour[3 * to]);
    }
  }
  return out;
}

// The sprite reduced by a whole factor, each pixel the weighted mean of the
// factor x factor source pixels it stands for (those inside the sprite).
// Bilinear taps alone would skip most pixels of a strongly reduced picture
// and let fine lines flicker from tile to tile.
MarkSprite shrink(const MarkSprite& source, int64_t factor) {
  MarkSprite out =
      MakeMarkSprite((source.width + factor - 1) / factor, (source.height + factor - 1) / factor);
  if (out.empty()) return out;
  for (int64_t y = 0; y < out.height; ++y) {
    for (int64_t x = 0; x < out.width; ++x) {
      double w = 0, c[3] = {0, 0, 0};
      int64_t count = 0;
      for (int64_t sy = y * factor; sy < std::min<int64_t>((y + 1) * factor, source.height); ++sy) {
        for (int64_t sx = x * factor; sx < std::min<int64_t>((x + 1) * factor, source.width); ++sx) {
          const size_t i = size_t(sy * source.width + sx);
          w += source.weight[i];
          for (int k = 0; k < 3; ++k) c[k] += double(source.weight[i]) * source.colour[3 * i + size_t(k)];
          ++count;
        }
      }
      if (w <= 0) continue;
      const size_t to = size_t(y * out.width + x);
      out.weight[to] = uint16_t(std::lround(w / double(count)));
      for (int k = 0; k < 3; ++k)
        out.colour[3 * to + size_t(k)] = uint8_t(std::clamp(std::lround(c[k] / w), 0L, 255L));
    }
  }
  return out;
}

// factor: the source was shrunk by it (1: not shrunk); source coordinates
// are divided by it before sampling.
MarkSprite turn_bilinear(const MarkSprite& original, const MarkSprite& source, int64_t factor, double scale,
                         int64_t block_width, int64_t block_height, const MarkTurn& turn) {
  const double source_cx = double(original.block_left) + double(original.block_width) / 2;
  const double source_cy = double(original.block_top) + double(original.block_height) / 2;
  // Where the source sprite's corners land, relative to the new block's
  // top-left corner. In image axes (y down) a counter-clockwise turn as
  // seen takes an offset (dx, dy) from the centre to (dx c + dy s, -dx s +
  // dy c).
  Bounds bounds;
  for (const double cx : {0.0, double(original.width)}) {
    for (const double cy : {0.0, double(original.height)}) {
      const double dx = (cx - source_cx) * scale;
      const double dy = (cy - source_cy) * scale;
      bounds.add(dx * turn.cos + dy * turn.sin + double(block_width) / 2,
                 -dx * turn.sin + dy * turn.cos + double(block_height) / 2);
    }
  }
  if (!(bounds.x1 - bounds.x0 < double(kMaxSpritePixels)) ||
      !(bounds.y1 - bounds.y0 < double(kMaxSpritePixels)))
    return MarkSprite{};
  // One pixel of room on each side for the bilinear fringe.
  const int64_t left = int64_t(std::floor(bounds.x0)) - 1;
  const int64_t top = int64_t(std::floor(bounds.y0)) - 1;
  MarkSprite out =
      MakeMarkSprite(int64_t(std::ceil(bounds.x1)) + 1 - left, int64_t(std::ceil(bounds.y1)) + 1 - top);
  if (out.empty()) return out;
  out.block_left = -left;
  out.block_top = -top;
  out.block_width = block_width;
  out.block_height = block_height;
  const double centre_x = double(out.block_left) + double(block_width) / 2;
  const double centre_y = double(out.block_top) + double(block_height) / 2;

  const auto tap = [&source](int64_t x, int64_t y, double f, double& w, double* c) {
    if (f <= 0 || x < 0 || y < 0 || x >= source.width || y >= source.height) return;
    const size_t i = size_t(y * source.width + x);
    const double fw = f * source.weight[i];
    w += fw;
    for (int k = 0; k < 3; ++k) c[k] += fw * source.colour[3 * i + size_t(k)];
  };
  for (int64_t y = 0; y < out.height; ++y) {
    for (int64_t x = 0; x < out.width; ++x) {
      const double qx = double(x) + 0.5 - centre_x;
      const double qy = double(y) + 0.5 - centre_y;
      // Back from the target to the source: the inverse turn, then the scale.
      const double ux = ((qx * turn.cos - qy * turn.sin) / scale + source_cx) / double(factor) - 0.5;
      const double uy = ((qx * turn.sin + qy * turn.cos) / scale + source_cy) / double(factor) - 0.5;
      const double fx0 = std::floor(ux), fy0 = std::floor(uy);
      if (fx0 < -1 || fy0 < -1 || fx0 >= double(source.width) || fy0 >= double(source.height)) continue;
      const int64_t x0 = int64_t(fx0), y0 = int64_t(fy0);
      const double fx = ux - fx0, fy = uy - fy0;
      double w = 0, c[3] = {0, 0, 0};
      tap(x0, y0, (1 - fx) * (1 - fy), w, c);
      tap(x0 + 1, y0, fx * (1 - fy), w, c);
      tap(x0, y0 + 1, (1 - fx) * fy, w, c);
      tap(x0 + 1, y0 + 1, fx * fy, w, c);
      const long weight = std::lround(w);
      if (weight <= 0) continue;
      const size_t to = size_t(y * out.width + x);
      out.weight[to] = uint16_t(std::min<long>(weight, kMarkWeightFull));
      for (int k = 0; k < 3; ++k)
        out.colour[3 * to + size_t(k)] = uint8_t(std::clamp(std::lround(c[k] / w), 0L, 255L));
    }
  }
  return out;
}

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
  if (width <= 0 || height <= 0 || width > kMaxSpritePixels || height > kMaxSpritePixels ||
      width * height > kMaxSpritePixels)
    return sprite;
  try {
    sprite.weight.assign(size_t(width * height), 0);
    sprite.colour.assign(3 * size_t(width * height), 0);
  } catch (const std::bad_alloc&) {
    return MarkSprite{};
  }
  sprite.width = int32_t(width);
  sprite.height = int32_t(height);
  return sprite;
}

void FindMarkRuns(MarkSprite& sprite) {
  sprite.run_first.assign(size_t(std::max(sprite.height, 0)), 0);
  sprite.run_end.assign(size_t(std::max(sprite.height, 0)), 0);
  for (int32_t y = 0; y < sprite.height; ++y) {
    const uint16_t* w = sprite.weight.data() + size_t(y) * size_t(sprite.width);
    int32_t first = 0, end = sprite.width;
    while (first < end && w[first] == 0) ++first;
    while (end > first && w[end - 1] == 0) --end;
    sprite.run_first[size_t(y)] = first;
    sprite.run_end[size_t(y)] = end;
  }
}

MarkSprite TurnMarkSprite(const MarkSprite& source, double scale, int64_t block_width, int64_t block_height,
                          double angle) {
  if (source.empty() || !(scale > 0) || !std::isfinite(scale) || block_width <= 0 || block_height <= 0)
    return MarkSprite{};
  const MarkTurn turn = MarkTurnOf(angle);
  MarkSprite out;
  if (turn.cos == 1 && scale == 1 && block_width == source.block_width && block_height == source.block_height)
    out = source;
  else if (turn.cos == 1)
    out = turn_nearest(source, scale, block_width, block_height);
  else if (scale > 0.5)
    out = turn_bilinear(source, source, 1, scale, block_width, block_height, turn);
  else {
    // Reduced twofold or more: average whole blocks first; a factor beyond
    // the sprite's size leaves one pixel either way.
    const int64_t factor = int64_t(std::min(1 / scale, double(std::max(source.width, source.height)) + 1));
    out = turn_bilinear(source, shrink(source, factor), factor, scale, block_width, block_height, turn);
  }
  FindMarkRuns(out);
  return out;
}
