// SPDX-License-Identifier: GPL-3.0-or-later
// The picture pass with its options: the picture's own alpha, a size relative
// to the image, a margin in percent, turning and tiling. With none of them
// on and a 24-bit watermark, the plain pass does all the work.
//
// A 24-bit watermark neither sized, turned nor tiled goes through the plain
// pass at its placement; a 32-bit one is mapped onto the image the way the
// plain pass maps the watermark, each pixel with its weight alpha x (100 -
// t), so full alpha blends exactly like the plain pass. Otherwise the
// picture is laid as a mark (mark_lay.cpp), sampled straight from the
// watermark's pixels: nearest-neighbour when only "Eingepasst" or "Maximal"
// scale it, as the plain pass does, and smoothly whenever the options size
// it or turn it.
//
// With a relative size the picture has a size of its own, so the scaled
// placements "Eingepasst" and "Maximal" have nothing left to decide: they
// place the sized picture like "Zentriert".
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/dib_access.h"
#include "mark_sampling.h"
#include "picture_mapping.h"
#include "run/mark_size.h"
#include "run/mark_sprite.h"
#include "run/placement.h"
#include "run/stamp_picture.h"
#include "stamp_options.h"

namespace {

constexpr int kPlacementCentred = 4;  // "Zentriert"

// The watermark's pixels as colours and weights. Colours not premultiplied,
// as in every 32-bit record. Without keep_alpha a 32-bit picture is composed
// over white, rounded to the nearest byte, the same colours the loader gives
// when it flattens.
class PicturePixels {
 public:
  PicturePixels(const TDibImage& watermark, bool keep_alpha, unsigned u)
      : watermark_(watermark), keep_alpha_(keep_alpha), u_(u), step_(DibBitCount(watermark) == 32 ? 4 : 3) {}

  const uint8_t* row(int32_t y) const { return DibRow(watermark_, y); }

  // Pixel x of a row from row().
  uint16_t at(const uint8_t* row, int64_t x, uint8_t* colour) const {
    const uint8_t* in = row + step_ * x;
    const unsigned a = step_ == 4 ? in[3] : 255u;
    if (keep_alpha_ || a == 255) {
      std::copy_n(in, 3, colour);
      return uint16_t((keep_alpha_ ? a : 255u) * u_);
    }
    for (int k = 0; k < 3; ++k) colour[k] = uint8_t((in[k] * a + 255u * (255u - a) + 127u) / 255u);
    return uint16_t(255u * u_);
  }

 private:
  const TDibImage& watermark_;
  bool keep_alpha_;
  unsigned u_;
  int step_;
};

// The picture as a mark's source: its pixels, or for a strong reduction
// blocks of factor x factor of them, each the weighted mean of the pixels
// it stands for (those inside the picture). Bilinear taps alone would skip
// most pixels of a strongly reduced picture and let fine lines flicker from
// tile to tile.
class PictureMarkSource final : public MarkSource {
 public:
  PictureMarkSource(const PicturePixels& pixels, int64_t width, int64_t height, int64_t factor)
      : pixels_(pixels), width_(width), height_(height), factor_(factor) {}

  std::vector<MarkRect> Parts() const override {
    return {MarkRect{0, 0, (width_ + factor_ - 1) / factor_, (height_ + factor_ - 1) / factor_}};
  }

  MarkSprite Window(const MarkRect& rect) const override {
    MarkSprite out = MakeMarkSprite(rect.width(), rect.height());
    if (out.empty()) return out;
    if (factor_ == 1) {
      for (int64_t y = rect.y0; y < rect.y1; ++y) {
        const uint8_t* row = pixels_.row(int32_t(y));
        const size_t to = size_t((y - rect.y0) * rect.width());
        for (int64_t x = rect.x0; x < rect.x1; ++x) {
          const size_t i = to + size_t(x - rect.x0);
          out.weight[i] = pixels_.at(row, x, &out.colour[3 * i]);
        }
      }
      return out;
    }
    std::vector<double> weight(size_t(rect.width()));
    std::vector<double> colour(3 * size_t(rect.width()));
    std::vector<int64_t> count(size_t(rect.width()));
    for (int64_t y = rect.y0; y < rect.y1; ++y) {
      std::fill(weight.begin(), weight.end(), 0.0);
      std::fill(colour.begin(), colour.end(), 0.0);
      std::fill(count.begin(), count.end(), 0);
      for (int64_t sy = y * factor_; sy < std::min((y + 1) * factor_, height_); ++sy) {
        const uint8_t* row = pixels_.row(int32_t(sy));
        for (int64_t x = rect.x0; x < rect.x1; ++x) {
          const size_t i = size_t(x - rect.x0);
          for (int64_t sx = x * factor_; sx < std::min((x + 1) * factor_, width_); ++sx) {
            uint8_t c[3];
            const double w = pixels_.at(row, sx, c);
            weight[i] += w;
            for (size_t k = 0; k < 3; ++k) colour[3 * i + k] += w * c[k];
            ++count[i];
          }
        }
      }
      const size_t to = size_t((y - rect.y0) * rect.width());
      for (size_t i = 0; i < size_t(rect.width()); ++i) {
        if (weight[i] <= 0) continue;
        out.weight[to + i] = uint16_t(std::lround(weight[i] / double(count[i])));
        for (size_t k = 0; k < 3; ++k)
          out.colour[3 * (to + i) + k] =
              uint8_t(std::clamp(std::lround(colour[3 * i + k] / weight[i]), 0L, 255L));
      }
    }
    return out;
  }

 private:
  const PicturePixels& pixels_;
  int64_t width_;
  int64_t height_;
  int64_t factor_;
};

// An unturned, untiled, unsized picture mapped onto the image the way the
// plain pass maps the watermark: column (x - left) div scale, the same for
// rows, so a picture of full alpha gives the plain pass's pixels.
void blend_mapped_picture(TDibImage& image, const PicturePixels& pixels, int32_t wm_width, int32_t wm_height,
                          const BlockPlacement& place) {
  const std::vector<int32_t> columns = MapPictureAxis(DibWidth(image), place.left, place.scale, wm_width);
  const std::vector<int32_t> rows = MapPictureAxis(DibHeight(image), place.top, place.scale, wm_height);
  int32_t x0, x1, y0, y1;
  CoveredRun(columns, x0, x1);
  CoveredRun(rows, y0, y1);
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* p = DibRow(image, y) + 3 * int64_t(x0);
    const uint8_t* row = pixels.row(rows[size_t(y)]);
    for (int32_t x = x0; x < x1; ++x, p += 3) {
      uint8_t c[3];
      const uint32_t mark = pixels.at(row, columns[size_t(x)], c);
      if (mark == 0) continue;
      const uint32_t keep = kMarkWeightFull - mark;
      p[0] = uint8_t((p[0] * keep + c[0] * mark) / kMarkWeightFull);
      p[1] = uint8_t((p[1] * keep + c[1] * mark) / kMarkWeightFull);
      p[2] = uint8_t((p[2] * keep + c[2] * mark) / kMarkWeightFull);
    }
  }
}

void StampPictureWithOptions(TDibImage& image, const TDibImage& watermark,
                             const PictureStampSettings& settings) {
  if (!DibHoldsPixels(image, 24)) return;
  if (!DibHoldsPixels(watermark, 24) && !DibHoldsPixels(watermark, 32)) return;
  const PictureOptions& options = settings.options;
  const int64_t width = DibWidth(image);
  const int64_t height = DibHeight(image);
  const int32_t wm_width = DibWidth(watermark);
  const int32_t wm_height = DibHeight(watermark);

  const BlockPlacement place = PlacePicture(settings, width, height, wm_width, wm_height);
  if (!place.valid) return;

  const bool turned = MarkTurnOf(options.angle).cos != 1;
  const bool sized =
      options.relative == RelativeTo::kImageWidth || options.relative == RelativeTo::kShorterSide;
  const bool has_alpha = DibBitCount(watermark) == 32;
  const unsigned t = unsigned(std::clamp(settings.transparency, 0, 100));
  const PicturePixels pixels(watermark, options.keep_alpha, 100 - t);
  if (!turned && !options.tile.enabled && !sized) {
    if (has_alpha)
      blend_mapped_picture(image, pixels, wm_width, wm_height, place);
    else
      StampPlainPictureAt(image, watermark, place, settings.transparency);
    return;
  }
  const MarkShape shape =
      ShapeMark(MarkFrame{wm_width, wm_height, 0, 0, wm_width, wm_height}, place.scale, place.width,
                place.height, options.angle, sized ? MarkScaling::kSmooth : MarkScaling::kNearest);
  if (!shape.valid()) return;
  const PictureMarkSource source(pixels, wm_width, wm_height, shape.factor);
  LayMark(image, source, shape, place.left, place.top,
          MarkTilingOf(options.tile, options.angle, width, height, place.width, place.height));
}

}  // namespace

BlockPlacement PlacePicture(const PictureStampSettings& settings, int64_t image_width, int64_t image_height,
                            int64_t picture_width, int64_t picture_height) {
  const PictureOptions& options = settings.options;
  const int64_t margin = MarkMarginPixels(options.margin_in_percent, options.margin_percent, settings.margin,
                                          image_width, image_height);
  const int64_t margin_y = settings.margin_y.value_or(margin);
  if (options.relative != RelativeTo::kImageWidth && options.relative != RelativeTo::kShorterSide)
    return PlaceBlockXY(settings.position, image_width, image_height, picture_width, picture_height, margin,
                        margin_y);
  if (picture_width <= 0 || picture_height <= 0) return BlockPlacement{};
  const MarkSize size = RelativePictureSize(options.relative, options.relative_percent, image_width,
                                            image_height, picture_width, picture_height);
  const bool scaled_placement =
      settings.position == kPlacementFitted || settings.position == kPlacementCovering;
  BlockPlacement place = PlaceBlockXY(scaled_placement ? kPlacementCentred : settings.position, image_width,
                                      image_height, size.width, size.height, margin, margin_y);
  place.scale = double(size.width) / double(picture_width);
  return place;
}

void StampPicture(TDibImage& image, const TDibImage& watermark, const PictureStampSettings& settings) {
  // A 32-bit watermark comes only from a load that kept its alpha; the
  // options path composes it over white when that option is off again.
  if (settings.options.any() || DibHoldsPixels(watermark, 32)) {
    StampPictureWithOptions(image, watermark, settings);
    return;
  }
  StampPlainPicture(image, watermark, settings);
}
