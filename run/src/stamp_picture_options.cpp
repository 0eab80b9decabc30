// SPDX-License-Identifier: GPL-3.0-or-later
// The picture pass with its options: the picture's own alpha, a size relative
// to the image, a margin in percent, turning and tiling. With none of them
// on and a 24-bit watermark, the plain pass does all the work.
//
// A 24-bit watermark neither turned nor tiled goes through the plain pass
// at the sized placement. Otherwise the watermark becomes a sprite of
// colours and weights once per call (weight alpha x (100 - t), so full
// alpha blends exactly like the plain pass). Unturned and untiled, the
// sprite is mapped onto the image the way the plain pass maps the
// watermark; otherwise it is scaled and turned once and blended at every
// place the tiling lists.
//
// With a relative size the picture has a size of its own, so the scaled
// placements "Eingepasst" and "Maximal" have nothing left to decide: they
// place the sized picture like "Zentriert".
#include <algorithm>
#include <cstdint>

#include "image/dib_access.h"
#include "run/mark_size.h"
#include "run/mark_sprite.h"
#include "run/placement.h"
#include "run/stamp_picture.h"
#include "stamp_options.h"

namespace {

constexpr int kPlacementCentred = 4;  // "Zentriert"

// Colours not premultiplied, as in every 32-bit record. Without keep_alpha
// a 32-bit picture is composed over white, rounded to the nearest byte, the
// same colours the loader gives when it flattens.
MarkSprite picture_sprite(const TDibImage& watermark, bool keep_alpha, unsigned u) {
  const int32_t width = DibWidth(watermark);
  const int32_t height = DibHeight(watermark);
  MarkSprite sprite = MakeMarkSprite(width, height);
  if (sprite.empty()) return sprite;
  sprite.block_width = width;
  sprite.block_height = height;
  const bool has_alpha = DibBitCount(watermark) == 32;
  const int step = has_alpha ? 4 : 3;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = DibRow(watermark, y);
    const size_t row = size_t(y) * size_t(width);
    for (int32_t x = 0; x < width; ++x, in += step) {
      const unsigned a = has_alpha ? in[3] : 255u;
      uint8_t* c = &sprite.colour[3 * (row + size_t(x))];
      if (keep_alpha || a == 255) {
        std::copy_n(in, 3, c);
        sprite.weight[row + size_t(x)] = uint16_t((keep_alpha ? a : 255u) * u);
      } else {
        for (int k = 0; k < 3; ++k) c[k] = uint8_t((in[k] * a + 255u * (255u - a) + 127u) / 255u);
        sprite.weight[row + size_t(x)] = uint16_t(255u * u);
      }
    }
  }
  return sprite;
}

void StampPictureWithOptions(TDibImage& image, const TDibImage& watermark, const PictureStampSettings& settings) {
  if (!DibHoldsPixels(image, 24)) return;
  if (!DibHoldsPixels(watermark, 24) && !DibHoldsPixels(watermark, 32)) return;
  const PictureOptions& options = settings.options;
  const int64_t width = DibWidth(image);
  const int64_t height = DibHeight(image);
  const int64_t wm_width = DibWidth(watermark);
  const int64_t wm_height = DibHeight(watermark);

  const BlockPlacement place = PlacePicture(settings, width, height, wm_width, wm_height);
  if (!place.valid) return;

  const bool turned = MarkTurnOf(options.angle).cos != 1;
  const bool has_alpha = DibBitCount(watermark) == 32;
  if (!turned && !options.tile.enabled && !has_alpha) {
    StampPlainPictureAt(image, watermark, place, settings.transparency);
    return;
  }
  const unsigned t = unsigned(std::clamp(settings.transparency, 0, 100));
  const MarkSprite source = picture_sprite(watermark, options.keep_alpha, 100 - t);
  if (source.empty()) return;
  if (!turned && !options.tile.enabled) {
    BlendMappedSprite(image, source, place);
    return;
  }

  MarkSprite mark = TurnMarkSprite(source, place.scale, place.width, place.height, options.angle);
  if (mark.empty()) return;
  LayMark(image, mark, place.left, place.top, place.width, place.height, options.tile, options.angle);
}

}  // namespace

BlockPlacement PlacePicture(const PictureStampSettings& settings, int64_t image_width, int64_t image_height,
                            int64_t picture_width, int64_t picture_height) {
  const PictureOptions& options = settings.options;
  const int64_t margin = MarkMarginPixels(options.margin_in_percent, options.margin_percent, settings.margin,
                                          image_width, image_height);
  if (options.relative != RelativeTo::kImageWidth && options.relative != RelativeTo::kShorterSide)
    return PlaceBlock(settings.position, image_width, image_height, picture_width, picture_height, margin);
  if (picture_width <= 0 || picture_height <= 0) return BlockPlacement{};
  const MarkSize size = RelativePictureSize(options.relative, options.relative_percent, image_width,
                                            image_height, picture_width, picture_height);
  const bool scaled_placement =
      settings.position == kPlacementFitted || settings.position == kPlacementCovering;
  BlockPlacement place = PlaceBlock(scaled_placement ? kPlacementCentred : settings.position, image_width,
                                    image_height, size.width, size.height, margin);
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
