// The passes' paths for the options past the plain stamping, shared between
// the pass files of this folder only.
#pragma once

#include "pixkit/pixkit.h"
#include "run/mark_sprite.h"
#include "run/placement.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"

// The picture pass with its extras; also takes a 32-bit watermark.
void StampPictureExtras(TDibImage& image, const TDibImage& watermark, const PictureStampSettings& settings);

// The plain picture pass at a given placement (its scale included), for the
// extras that only size or place the picture.
void StampPlainPicture(TDibImage& image, const TDibImage& watermark, const BlockPlacement& place,
                       int transparency);

// An unturned, untiled sprite laid over the image the way the plain pass
// maps the watermark: column (x - left) div scale, the same for rows, so a
// sprite of full weights gives the plain pass's pixels.
void BlendMappedSprite(TDibImage& image, const MarkSprite& sprite, const BlockPlacement& place);

// Lays a prepared (turned) mark whose block is block_width x block_height
// at (left, top): once, or with tiling on as TileCorners lists, anchored
// there; a grid too dense to stamp keeps the one placed mark.
void LayMark(TDibImage& image, MarkSprite& mark, int64_t left, int64_t top, int64_t block_width,
             int64_t block_height, const TileOptions& tile, double angle);
