// SPDX-License-Identifier: GPL-3.0-or-later
// The picture pass as the run and the preview call it: the plain pass with
// the options built on it.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"
#include "run/placement.h"
#include "run/plain_picture_pass.h"
#include "run/mark_options.h"

struct PictureStampSettings : PlainPictureSettings {
  PictureOptions options;  // all off: the plain pass
};

// Where the picture lands in an image of image_width x image_height: the
// plain placement, or with a relative size the sized picture placed with
// the margin (in pixels or percent); "Eingepasst" and "Maximal" then place
// it like "Zentriert", the size being decided already. scale is the
// placed width / the picture's width.
BlockPlacement PlacePicture(const PictureStampSettings& settings, int64_t image_width, int64_t image_height,
                            int64_t picture_width, int64_t picture_height);

// The picture pass with its options, for the run and the preview; with every
// extra off and a 24-bit watermark it is StampPlainPicture.
//
// The watermark may also be a 32-bit record (a load that kept the alpha
// channel); without keep_alpha it is composed over white first. With keep_alpha
// each pixel weighs alpha / 255 x (100 - t) / 100: a byte becomes (image x
// (25500 - a x u) + watermark x a x u) div 25500 with u = 100 - t, so alpha
// 255 gives the plain blend and alpha 0 leaves the pixel. A picture sized by
// the options is resampled smoothly (bilinear, averaged first when reduced
// twofold or more) to exactly its size, at any angle; one scaled only by
// "Eingepasst" or "Maximal" keeps the plain pass's nearest-neighbour
// sampling unless it is turned. Tiling repeats the mark over the grid of
// ForEachTileCorner, anchored at the placed mark. Marks of any size are
// stamped: they are sampled into the image a piece at a time.
void StampPicture(TDibImage& image, const TDibImage& watermark, const PictureStampSettings& settings);
