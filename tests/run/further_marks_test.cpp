// SPDX-License-Identifier: GPL-3.0-or-later
// Further marks: blend modes against the W3C formulas, a margin per axis at
// every placement, the orientation filter, and the job's own marks left as
// they were.
#include "run/further_marks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "image/dib_access.h"
#include "image/replace_depth.h"
#include "pixkit/pixkit.h"
#include "run/placement.h"
#include "run/stamp_source.h"

namespace {

// A w x h 24-bit picture whose pixel (x, y) is colour(x, y) as blue, green,
// red bytes.
TDibImage picture(int w, int h, const std::function<uint32_t(int, int)>& colour) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      uint8_t* p = DibRow(d, y) + 3 * x;
      p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
    }
  return d;
}

FurtherMark picture_mark(const TDibImage& pixels, int position, int transparency, MarkBlend blend) {
  FurtherMark mark;
  mark.picture = ShareMarkPicture(CopyDib(pixels));
  mark.picture_settings.position = position;
  mark.picture_settings.transparency = transparency;
  mark.blend = blend;
  return mark;
}

double formula(MarkBlend blend, double b, double s) {
  switch (blend) {
    case MarkBlend::kNormal:
      return s;
    case MarkBlend::kMultiply:
      return b * s;
    case MarkBlend::kScreen:
      return b + s - b * s;
    case MarkBlend::kOverlay:
      return b <= 0.5 ? 2 * b * s : 1 - 2 * (1 - b) * (1 - s);
    case MarkBlend::kSoftLight: {
      const double d = b <= 0.25 ? ((16 * b - 12) * b + 4) * b : std::sqrt(b);
      return s <= 0.5 ? b - (1 - 2 * s) * b * (1 - b) : b + (2 * s - 1) * (d - b);
    }
  }
  return s;
}

}  // namespace

TEST(FurtherMarks, EveryBlendModeFollowsItsFormulaOnFlatAndGradientPicturesWithinOneLevel) {
  // The mark: three bands of colour, as large as the picture.
  const TDibImage mark_pixels = picture(30, 15, [](int x, int) {
    return x < 10 ? 0x2040C0u : x < 20 ? 0xF0F0F0u : 0x808080u;
  });
  for (MarkBlend blend : {MarkBlend::kNormal, MarkBlend::kMultiply, MarkBlend::kScreen, MarkBlend::kOverlay,
                          MarkBlend::kSoftLight})
    for (int transparency : {0, 40})
      for (bool gradient : {false, true}) {
        const auto backdrop = [gradient](int x, int y) -> uint32_t {
          if (!gradient) return 0x6090B0u;
          const uint32_t v = uint32_t(x * 255 / 29);
          return v | (uint32_t(255 - y * 17) << 8) | (uint32_t((x + y) * 5) << 16);
        };
        TDibImage image = picture(30, 15, backdrop);
        FurtherMark mark = picture_mark(mark_pixels, 0, transparency, blend);
        mark.margin_x.value = mark.margin_y.value = 0;
        StampFurtherMarks(image, {mark}, "/a.bmp", 1);
        for (int y = 0; y < 15; ++y)
          for (int x = 0; x < 30; ++x) {
            const uint32_t b = backdrop(x, y);
            const uint8_t* s = DibRow(mark_pixels, y) + 3 * x;
            for (int k = 0; k < 3; ++k) {
              const double bb = double((b >> (8 * k)) & 0xFF) / 255;
              const double laid = formula(blend, bb, s[k] / 255.0);
              const double expected = 255 * (bb * transparency / 100 + laid * (100 - transparency) / 100);
              EXPECT_NEAR(DibRow(image, y)[3 * x + k], expected, 1.0)
                  << int(blend) << " t=" << transparency << " at " << x << "," << y << " channel " << k;
            }
          }
        deldib(&image);
      }
  TDibImage release = mark_pixels;
  deldib(&release);
}

TEST(FurtherMarks, EachAxisKeepsItsOwnMarginAtEveryPlacement) {
  const TDibImage black = picture(10, 6, [](int, int) { return 0u; });
  for (int position = 0; position <= 8; ++position) {
    TDibImage image = picture(100, 80, [](int, int) { return 0xFFFFFFu; });
    FurtherMark mark = picture_mark(black, position, 0, MarkBlend::kNormal);
    mark.margin_x = MarkMargin{7, false};
    mark.margin_y = MarkMargin{10, true};  // 10 % of the height: 8 pixels
    StampFurtherMarks(image, {mark}, "/a.bmp", 1);
    int x0 = 100, y0 = 80, x1 = -1, y1 = -1;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 100; ++x)
        if (DibRow(image, y)[3 * x] == 0)
          x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    const int column = position % 3, row = position / 3;
    const int left = column == 0 ? 7 : column == 1 ? 45 : 83, top = row == 0 ? 8 : row == 1 ? 37 : 66;
    EXPECT_EQ(x0, left) << position;
    EXPECT_EQ(y0, top) << position;
    EXPECT_EQ(x1, left + 9) << position;
    EXPECT_EQ(y1, top + 5) << position;
    deldib(&image);
  }
  // "Eingepasst" and "Maximal" scale into the box 86 x 64 the margins leave.
  const BlockPlacement fitted = PlaceBlockXY(kPlacementFitted, 100, 80, 10, 6, 7, 8);
  EXPECT_EQ((std::array<int64_t, 4>{fitted.left, fitted.top, fitted.width, fitted.height}),
            (std::array<int64_t, 4>{7, 14, 86, 51}));
  const BlockPlacement covering = PlaceBlockXY(kPlacementCovering, 100, 80, 10, 6, 7, 8);
  EXPECT_EQ((std::array<int64_t, 4>{covering.left, covering.top, covering.width, covering.height}),
            (std::array<int64_t, 4>{-3, 8, 106, 64}));
  TDibImage release = black;
  deldib(&release);
}

TEST(FurtherMarks, OnlyLandscapeOrOnlyPortraitPicturesGetAFilteredMark) {
  const TDibImage black = picture(2, 2, [](int, int) { return 0u; });
  for (MarkOrientation only : {MarkOrientation::kLandscape, MarkOrientation::kPortrait}) {
    FurtherMark mark = picture_mark(black, 0, 0, MarkBlend::kNormal);
    mark.only = only;
    mark.margin_x.value = mark.margin_y.value = 0;
    for (auto [w, h] : {std::pair{8, 4}, std::pair{4, 8}, std::pair{5, 5}}) {
      TDibImage image = picture(w, h, [](int, int) { return 0xFFFFFFu; });
      StampFurtherMarks(image, {mark}, "/a.bmp", 1);
      const bool stamped = DibRow(image, 0)[0] == 0;
      EXPECT_EQ(stamped, only == MarkOrientation::kLandscape ? w > h : h > w) << w << "x" << h;
      deldib(&image);
    }
  }
  TDibImage release = black;
  deldib(&release);
}
