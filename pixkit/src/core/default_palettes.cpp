// SPDX-License-Identifier: LGPL-2.1-or-later
#include "record_storage.h"

namespace pixkit {
namespace {

std::vector<Rgb> make_vga16() {
  return {{0, 0, 0},       {0, 0, 170},     {0, 170, 0},    {0, 170, 170},
          {170, 0, 0},     {170, 0, 170},   {170, 85, 0},   {170, 170, 170},
          {85, 85, 85},    {85, 85, 255},   {85, 255, 85},  {85, 255, 255},
          {255, 85, 85},   {255, 85, 255},  {255, 255, 85}, {255, 255, 255}};
}

// 6 levels of red, 7 of green, 6 of blue (252 colours), then 4 greys that
// the cube lacks.
std::vector<Rgb> make_cube256() {
  std::vector<Rgb> p;
  p.reserve(256);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 6; ++b) p.push_back(Rgb{uint8_t(r * 51), uint8_t(g * 255 / 6), uint8_t(b * 51)});
  for (uint8_t grey : {uint8_t(64), uint8_t(96), uint8_t(160), uint8_t(192)}) p.push_back(Rgb{grey, grey, grey});
  return p;
}

}  // namespace

const std::vector<Rgb>& default_palette(int bit_count) {
  static const std::vector<Rgb> mono = {{0, 0, 0}, {255, 255, 255}};
  static const std::vector<Rgb> vga = make_vga16();
  static const std::vector<Rgb> cube = make_cube256();
  return bit_count == 1 ? mono : bit_count == 4 ? vga : cube;
}

}  // namespace pixkit
