// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>

#include "image/dib_access.h"
#include "run/mark_sprite.h"

namespace {

// The blend as promised: (image x (kMarkWeightFull - w) + mark x w) div
// kMarkWeightFull, in integers.
uint8_t integer_blend(unsigned image, unsigned mark, unsigned weight) {
  return uint8_t((image * (kMarkWeightFull - weight) + mark * weight) / kMarkWeightFull);
}

uint8_t image_level(int64_t x, int64_t y, int k) { return uint8_t((x * 37 + y * 11 + k * 85) & 255); }

uint8_t mark_level(int64_t x, int64_t y, int k) {
  return k == 0 ? uint8_t(255) : k == 1 ? uint8_t(0) : uint8_t((x * 13 + y * 7) & 255);
}

// Blends sprite (its weights set) into an image of its size and checks
// every byte against the integer blend.
void expect_integer_blend(MarkSprite& sprite) {
  FindMarkRuns(sprite);
  TDibImage image = newdib(sprite.width, sprite.height, 24, nullptr, 0);
  ASSERT_NE(image.Bits, nullptr);
  for (int64_t y = 0; y < sprite.height; ++y)
    for (int64_t x = 0; x < sprite.width; ++x)
      for (int k = 0; k < 3; ++k) {
        DibRow(image, int32_t(y))[3 * x + k] = image_level(x, y, k);
        sprite.colour[size_t(3 * (y * sprite.width + x) + k)] = mark_level(x, y, k);
      }
  BlendMarkSprite(image, sprite, 0, 0);
  int64_t wrong = 0;
  for (int64_t y = 0; y < sprite.height; ++y)
    for (int64_t x = 0; x < sprite.width; ++x)
      for (int k = 0; k < 3; ++k) {
        const unsigned weight = sprite.weight[size_t(y * sprite.width + x)];
        wrong += DibRow(image, int32_t(y))[3 * x + k] !=
                 integer_blend(image_level(x, y, k), mark_level(x, y, k), weight);
      }
  deldib(&image);
  EXPECT_EQ(wrong, 0);
}

}  // namespace

// Every weight next to every image level, each pixel with its own weight.
TEST(MarkBlend, EveryWeightOfItsOwnGivesTheIntegerBlend) {
  MarkSprite sprite = MakeMarkSprite(kMarkWeightFull + 1, 256);
  for (int64_t y = 0; y < sprite.height; ++y)
    for (int64_t x = 0; x < sprite.width; ++x) sprite.weight[size_t(y * sprite.width + x)] = uint16_t(x);
  expect_integer_blend(sprite);
}

// Rows of one weight are blended with it for every byte, in 16-bit lanes
// when it is a whole multiple of 255: every weight, a row each.
TEST(MarkBlend, RowsOfOneWeightGiveTheIntegerBlend) {
  MarkSprite sprite = MakeMarkSprite(40, kMarkWeightFull + 1);
  for (int64_t y = 0; y < sprite.height; ++y)
    for (int64_t x = 0; x < sprite.width; ++x)
      sprite.weight[size_t(y * sprite.width + x)] = uint16_t(x < 3 || x > 36 ? (y * 3) % 25501 : y);
  expect_integer_blend(sprite);
}
