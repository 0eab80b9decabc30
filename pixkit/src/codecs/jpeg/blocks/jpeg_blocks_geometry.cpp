// SPDX-License-Identifier: LGPL-2.1-or-later
// Which MCUs of a stored JPEG lie under rectangles of the upright picture.
// The stored orientation is kept, so a rectangle the caller places upright
// is turned back into stored coordinates before it is cut into MCUs.
#include <algorithm>
#include <vector>

#include "jpeg_blocks.h"

namespace pixkit {
namespace {

int32_t clamp_to(int64_t value, int32_t low, int32_t high) {
  return int32_t(std::clamp<int64_t>(value, low, high));
}

// The stored pixel shown at upright (ux, uy): the inverse of
// upright_of_stored.
void stored_of_upright(const BlockGeometry& g, int64_t ux, int64_t uy, int64_t& x, int64_t& y) {
  const int64_t w = g.width, h = g.height;
  switch (g.orientation) {
    case 2:
      x = w - 1 - ux, y = uy;
      break;
    case 3:
      x = w - 1 - ux, y = h - 1 - uy;
      break;
    case 4:
      x = ux, y = h - 1 - uy;
      break;
    case 5:
      x = uy, y = ux;
      break;
    case 6:
      x = uy, y = h - 1 - ux;
      break;
    case 7:
      x = w - 1 - uy, y = h - 1 - ux;
      break;
    case 8:
      x = w - 1 - uy, y = ux;
      break;
    default:
      x = ux, y = uy;
      break;
  }
}

}  // namespace

void upright_of_stored(const BlockGeometry& g, int32_t x, int32_t y, int32_t& ux, int32_t& uy) {
  const int32_t w = g.width, h = g.height;
  switch (g.orientation) {
    case 2:
      ux = w - 1 - x, uy = y;
      break;
    case 3:
      ux = w - 1 - x, uy = h - 1 - y;
      break;
    case 4:
      ux = x, uy = h - 1 - y;
      break;
    case 5:
      ux = y, uy = x;
      break;
    case 6:
      ux = h - 1 - y, uy = x;
      break;
    case 7:
      ux = h - 1 - y, uy = w - 1 - x;
      break;
    case 8:
      ux = y, uy = w - 1 - x;
      break;
    default:
      ux = x, uy = y;
      break;
  }
}

std::vector<BlockRect> mcu_rects_under(const BlockGeometry& g, const PixkitRect* rects, int count) {
  std::vector<BlockRect> mcus;
  for (int i = 0; rects && i < count; ++i) {
    const PixkitRect& r = rects[i];
    const int64_t ux0 = std::max<int64_t>(r.left, 0), uy0 = std::max<int64_t>(r.top, 0);
    const int64_t ux1 = std::min<int64_t>(r.right, g.upright_width());
    const int64_t uy1 = std::min<int64_t>(r.bottom, g.upright_height());
    if (ux0 >= ux1 || uy0 >= uy1) continue;
    // Two opposite corner pixels span the same rectangle stored.
    int64_t ax, ay, bx, by;
    stored_of_upright(g, ux0, uy0, ax, ay);
    stored_of_upright(g, ux1 - 1, uy1 - 1, bx, by);
    const int64_t x0 = std::min(ax, bx), x1 = std::max(ax, bx) + 1;
    const int64_t y0 = std::min(ay, by), y1 = std::max(ay, by) + 1;
    BlockRect m;
    m.left = clamp_to(x0 / g.mcu_width, 0, g.mcus_across);
    m.top = clamp_to(y0 / g.mcu_height, 0, g.mcus_down);
    m.right = clamp_to((x1 + g.mcu_width - 1) / g.mcu_width, 0, g.mcus_across);
    m.bottom = clamp_to((y1 + g.mcu_height - 1) / g.mcu_height, 0, g.mcus_down);
    if (!m.empty()) mcus.push_back(m);
  }
  return mcus;
}

int64_t count_covered_mcus(const BlockGeometry& g, const std::vector<BlockRect>& mcus) {
  // One byte per MCU: a 32768-pixel side has at most 4096 MCUs.
  std::vector<uint8_t> covered(size_t(g.mcus_across) * size_t(g.mcus_down), 0);
  int64_t count = 0;
  for (const BlockRect& m : mcus)
    for (int32_t y = m.top; y < m.bottom; ++y)
      for (int32_t x = m.left; x < m.right; ++x) {
        uint8_t& seen = covered[size_t(y) * size_t(g.mcus_across) + size_t(x)];
        if (!seen) ++count;
        seen = 1;
      }
  return count;
}

BlockRect pixels_of_mcus(const BlockGeometry& g, const BlockRect& m) {
  BlockRect p;
  p.left = m.left * g.mcu_width;
  p.top = m.top * g.mcu_height;
  p.right = clamp_to(int64_t(m.right) * g.mcu_width, 0, g.width);
  p.bottom = clamp_to(int64_t(m.bottom) * g.mcu_height, 0, g.height);
  return p;
}

}  // namespace pixkit
