// SPDX-License-Identifier: GPL-3.0-or-later
// What the options of both passes share, for the option files of this folder
// only; the plain passes neither include nor call any of it.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"
#include "run/mark_sprite.h"
#include "run/placement.h"
#include "run/watermark_options.h"

// An unturned, untiled sprite laid over the image the way the plain pass
// maps the watermark: column (x - left) div scale, the same for rows, so a
// sprite of full weights gives the plain pass's pixels.
void BlendMappedSprite(TDibImage& image, const MarkSprite& sprite, const BlockPlacement& place);

// Lays a prepared (turned) mark whose block is block_width x block_height
// at (left, top): once, or with tiling on as TileCorners lists, anchored
// there; a grid too dense to stamp keeps the one placed mark.
void LayMark(TDibImage& image, MarkSprite& mark, int64_t left, int64_t top, int64_t block_width,
             int64_t block_height, const TileOptions& tile, double angle);
