// SPDX-License-Identifier: GPL-3.0-or-later
// The text pass's options: sizes relative to the image, smooth edges, outline,
// shadow and turning, each checked against the plain pass's own pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "image/dib_access.h"
#include "run/stamp_text.h"

namespace stamptest {
void ensure_gui_application();
}

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;   // red in the low byte
constexpr uint32_t kBlue = 0xFF0000;  // blue in the third byte

TextStampSettings black_text(int transparency = 0) {
  TextStampSettings s;
  s.text = "Wg Ax\nkM";
  s.font.name = "DejaVu Sans";
  s.font.style = kFontBold;
  s.font.height = -24;
  s.font.color = 0;
  s.position = 4;
  s.margin = 0;
  s.transparency = transparency;
  return s;
}

// The stamped pixels of a white w x h image, as colour values by row.
std::vector<uint32_t> stamped(const TextStampSettings& s, int w = 160, int h = 100) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) setpixel(&d, x, y, kWhite);
  StampText(d, s);
  std::vector<uint32_t> out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.push_back(getpixel(&d, x, y));
  deldib(&d);
  return out;
}

// The black pixels' columns of a stamped image: [first, end), at row y.
std::pair<int, int> black_columns(const std::vector<uint32_t>& pixels, int w, int y) {
  int first = w, end = 0;
  for (int x = 0; x < w; ++x) {
    if (pixels[size_t(y * w + x)] != 0) continue;
    first = std::min(first, x);
    end = x + 1;
  }
  return {first, end};
}

class StampTextWithOptions : public testing::Test {
 protected:
  static void SetUpTestSuite() { stamptest::ensure_gui_application(); }
};

}  // namespace

// 5 % of the image height: pixel size 30 on 800 x 600, 150 on 4000 x 3000;
// a margin of 2 % of the shorter side: 12 and 60.
TEST_F(StampTextWithOptions, RelativeSizesFollowTheImage) {
  TextStampSettings s = black_text();
  s.options.relative = RelativeTo::kImageHeight;
  s.options.relative_percent = 5;
  s.options.margin_in_percent = true;
  s.options.margin_percent = 2;
  EXPECT_EQ(SizeTextForImage(s, 800, 600).font.height, -30);
  EXPECT_EQ(SizeTextForImage(s, 800, 600).margin, 12);
  EXPECT_EQ(SizeTextForImage(s, 4000, 3000).font.height, -150);
  EXPECT_EQ(SizeTextForImage(s, 4000, 3000).margin, 60);
}

TEST_F(StampTextWithOptions, RelativeSizeStampsLikeThePlainPassAtThatSize) {
  TextStampSettings relative = black_text(40);
  relative.position = 8;
  relative.options.relative = RelativeTo::kImageHeight;
  relative.options.relative_percent = 20;
  TextStampSettings plain = black_text(40);
  plain.position = 8;
  plain.font.height = -20;  // 20 % of 100
  EXPECT_EQ(stamped(relative), stamped(plain));
}

TEST_F(StampTextWithOptions, SmoothEdgesBlendPartialCoverage) {
  TextStampSettings s = black_text();
  const std::vector<uint32_t> plain = stamped(s);
  s.options.smooth = true;
  const std::vector<uint32_t> smooth = stamped(s);
  int plain_grey = 0, smooth_grey = 0, smooth_black = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    plain_grey += plain[i] != kWhite && plain[i] != 0;
    smooth_grey += smooth[i] != kWhite && smooth[i] != 0;
    smooth_black += smooth[i] == 0;
  }
  EXPECT_EQ(plain_grey, 0);
  EXPECT_GT(smooth_grey, 50);
  EXPECT_GT(smooth_black, 50);
}

// Black text with a red outline of 2: the glyph pixels stay as the plain
// pass stamps them, and every red pixel lies within 2 pixels of one.
TEST_F(StampTextWithOptions, OutlineSurroundsThePlainGlyphs) {
  const int w = 160, h = 100;
  TextStampSettings s = black_text();
  const std::vector<uint32_t> plain = stamped(s, w, h);
  s.options.outline = true;
  s.options.outline_width = 2;
  s.options.outline_color = int32_t(kRed);
  const std::vector<uint32_t> outlined = stamped(s, w, h);
  int red = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = size_t(y * w + x);
      if (plain[i] == 0) {
        ASSERT_EQ(outlined[i], 0u);
      }
      if (outlined[i] != kRed) continue;
      ++red;
      bool near_glyph = false;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
          near_glyph |= x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h &&
                        plain[size_t((y + dy) * w + x + dx)] == 0;
      ASSERT_TRUE(near_glyph) << x << "," << y;
    }
  }
  EXPECT_GT(red, 50);
}

// An unblurred blue shadow 3 right and 3 down, opaque: wherever a glyph
// pixel moved by the offset lands off the glyphs, the image is pure blue;
// with the shadow's transparency at 50 it is the half blend (127, 127, 255).
TEST_F(StampTextWithOptions, ShadowLiesUnderTheTextAtItsOffset) {
  const int w = 160, h = 100;
  TextStampSettings s = black_text();
  const std::vector<uint32_t> plain = stamped(s, w, h);
  s.options.shadow = true;
  s.options.shadow_dx = 3;
  s.options.shadow_dy = 3;
  s.options.shadow_blur = 0;
  s.options.shadow_color = int32_t(kBlue);
  s.options.shadow_transparency = 0;
  const std::vector<uint32_t> opaque = stamped(s, w, h);
  s.options.shadow_transparency = 50;
  const std::vector<uint32_t> half = stamped(s, w, h);
  int shadowed = 0;
  for (int y = 0; y + 3 < h; ++y) {
    for (int x = 0; x + 3 < w; ++x) {
      const size_t from = size_t(y * w + x), to = size_t((y + 3) * w + x + 3);
      if (plain[from] != 0 || plain[to] == 0) continue;
      ++shadowed;
      ASSERT_EQ(opaque[to], kBlue);
      ASSERT_EQ(half[to], 0xFF7F7Fu);
    }
  }
  EXPECT_GT(shadowed, 20);
  for (size_t i = 0; i < plain.size(); ++i)
    if (plain[i] == 0) {
      ASSERT_EQ(opaque[i], 0u);
    }
}

// Turned by 180 degrees around the block's centre, every stamped pixel of
// the plain pass lands mirrored through that centre.
TEST_F(StampTextWithOptions, HalfTurnMirrorsThePlainTextThroughTheBlockCentre) {
  const int w = 160, h = 100;
  TextStampSettings s = black_text();
  const std::vector<uint32_t> plain = stamped(s, w, h);
  const TextBlockLayout layout = LayOutTextBlock(s, w, h);
  s.options.angle = 180;
  const std::vector<uint32_t> turned = stamped(s, w, h);
  // (x, y) goes to (2 left + width - 1 - x, 2 top + height - 1 - y).
  const int64_t sum_x = 2 * layout.place.left + layout.width - 1;
  const int64_t sum_y = 2 * layout.place.top + layout.height - 1;
  int black = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int64_t mx = sum_x - x, my = sum_y - y;
      if (mx < 0 || my < 0 || mx >= w || my >= h) continue;
      black += plain[size_t(y * w + x)] == 0;
      ASSERT_EQ(turned[size_t(my * w + mx)], plain[size_t(y * w + x)]) << x << "," << y;
    }
  }
  EXPECT_GT(black, 50);
}

// One "X" placed top left, tiled: every quarter of the image gets text.
TEST_F(StampTextWithOptions, TilesRepeatTheTextOverTheImage) {
  TextStampSettings s = black_text();
  s.text = "X";
  s.position = 0;
  s.options.tile.enabled = true;
  s.options.tile.gap_x = 20;
  s.options.tile.gap_y = 20;
  const std::vector<uint32_t> tiled = stamped(s, 400, 300);
  int quarters_hit = 0;
  for (int qy = 0; qy < 2; ++qy) {
    for (int qx = 0; qx < 2; ++qx) {
      bool hit = false;
      for (int y = qy * 150; y < qy * 150 + 150; ++y)
        for (int x = qx * 200; x < qx * 200 + 200; ++x) hit |= tiled[size_t(y * 400 + x)] == 0;
      quarters_hit += hit;
    }
  }
  EXPECT_EQ(quarters_hit, 4);
}

// An outline of width 0 and a whole turn draw through the composed path and
// add nothing: the plain pass's pixels, transparency included.
TEST_F(StampTextWithOptions, ComposedPathWithNothingToAddGivesThePlainPixels) {
  TextStampSettings s = black_text(60);
  s.font.color = 0x3366CC;
  const std::vector<uint32_t> plain = stamped(s);
  s.options.outline = true;
  s.options.outline_width = 0;
  s.options.angle = 360;
  EXPECT_EQ(stamped(s), plain);
}

// A full block with an outline of 100: the outline reaches 100 pixels to
// the left of the glyph, not 102.
TEST_F(StampTextWithOptions, OutlineReachesItsFullWidth) {
  const int w = 400, h = 120;
  TextStampSettings s = black_text();
  s.text = "\u2588";
  const std::vector<uint32_t> plain = stamped(s, w, h);
  const auto [first, end] = black_columns(plain, w, h / 2);
  ASSERT_LT(first, end);
  s.options.outline = true;
  s.options.outline_width = 100;
  s.options.outline_color = int32_t(kRed);
  const std::vector<uint32_t> outlined = stamped(s, w, h);
  EXPECT_EQ(outlined[size_t(h / 2 * w + first - 100)], kRed);
  EXPECT_EQ(outlined[size_t(h / 2 * w + first - 102)], kWhite);
}

// A shadow moved 5000 pixels to the right lands there, not 4096 pixels
// away; blurred by 100 it still tints pixels 150 beyond its glyph's edge
// (two box passes reach 200).
TEST_F(StampTextWithOptions, ShadowOffsetAndBlurReachTheirFullRange) {
  const int w = 5400, h = 200;
  TextStampSettings s = black_text();
  s.text = "\u2588";
  s.font.height = -100;
  s.position = 3;
  const std::vector<uint32_t> plain = stamped(s, w, h);
  const auto [first, end] = black_columns(plain, w, h / 2);
  ASSERT_LT(first, end);
  s.options.shadow = true;
  s.options.shadow_dx = 5000;
  s.options.shadow_dy = 0;
  s.options.shadow_blur = 0;
  s.options.shadow_color = int32_t(kBlue);
  s.options.shadow_transparency = 0;
  const std::vector<uint32_t> sharp = stamped(s, w, h);
  EXPECT_EQ(sharp[size_t(h / 2 * w + first + 5000)], kBlue);
  EXPECT_EQ(sharp[size_t(h / 2 * w + first + 4096)], kWhite);
  s.options.shadow_blur = 100;
  const std::vector<uint32_t> blurred = stamped(s, w, h);
  EXPECT_NE(blurred[size_t(h / 2 * w + end - 1 + 5000 + 150)], kWhite);
  EXPECT_EQ(blurred[size_t(h / 2 * w + end - 1 + 5000 + 202)], kWhite);
}

// Full blocks at 1000 % of a 100-pixel height, a 1000-pixel font, turned 30
// degrees: far more pixels than any sprite may hold, so the text is drawn
// a window at a time. The image's centre is the block's, inside a glyph.
TEST_F(StampTextWithOptions, TextLargerThanAnySpriteStillStamps) {
  TextStampSettings s = black_text();
  s.text.clear();
  for (int i = 0; i < 20; ++i) s.text += "\u2588";
  s.options.relative = RelativeTo::kImageHeight;
  s.options.relative_percent = 1000;
  s.options.angle = 30;
  const std::vector<uint32_t> out = stamped(s, 200, 100);
  EXPECT_EQ(out[size_t(50 * 200 + 100)], 0u);
}

// Gaps of 50 % of the text block: the second mark of a row starts one and a
// half block widths after the first, rounded to the nearest pixel.
TEST_F(StampTextWithOptions, GapsInPercentOfTheBlock) {
  const int w = 400, h = 60;
  TextStampSettings s = black_text();
  s.text = "\u2588";
  s.position = 0;
  const TextBlockLayout layout = LayOutTextBlock(s, w, h);
  const std::vector<uint32_t> plain = stamped(s, w, h);
  const int first = black_columns(plain, w, 10).first;
  s.options.tile.enabled = true;
  s.options.tile.gap_in_mark_percent = true;
  s.options.tile.gap_x = 50;
  s.options.tile.gap_y = 50;
  const std::vector<uint32_t> tiled = stamped(s, w, h);
  const int64_t step = (3 * layout.width + 1) / 2;
  EXPECT_EQ(tiled[size_t(10 * w + first + step)], 0u);
  EXPECT_EQ(tiled[size_t(10 * w + first + step - 1)], kWhite);
}

TEST_F(StampTextWithOptions, HostileValuesStampNothingOrSomethingButReturn) {
  TextStampSettings s = black_text();
  s.options.angle = std::nan("");
  s.options.relative = RelativeTo::kImageHeight;
  s.options.relative_percent = 1e300;
  s.options.margin_in_percent = true;
  s.options.margin_percent = -1e300;
  s.options.tile.enabled = true;
  s.options.tile.gap_x = -1e308;
  s.options.tile.gap_y = std::nan("");
  s.options.outline = true;
  s.options.outline_width = 1 << 30;
  s.options.shadow = true;
  s.options.shadow_blur = -5;
  s.options.shadow_dx = 1 << 30;
  stamped(s, 40, 30);
  s.options.relative_percent = 10;
  s.options.angle = 1e300;
  stamped(s, 40, 30);
}

// The batch stamps on several workers at once: each call keeps its masks
// and sprites to itself.
TEST_F(StampTextWithOptions, WorkersStampTheSamePixelsAtOnce) {
  TextStampSettings s = black_text(30);
  s.options.smooth = true;
  s.options.outline = true;
  s.options.shadow = true;
  s.options.angle = 30;
  s.options.tile.enabled = true;
  const std::vector<uint32_t> alone = stamped(s);
  std::vector<std::vector<uint32_t>> results(4);
  std::vector<std::thread> workers;
  for (auto& result : results) workers.emplace_back([&s, &result] { result = stamped(s); });
  for (std::thread& worker : workers) worker.join();
  for (const auto& result : results) EXPECT_EQ(result, alone);
}
