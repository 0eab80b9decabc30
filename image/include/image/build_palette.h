// SPDX-License-Identifier: GPL-3.0-or-later
// The popularity palette of a 24-bit image: a census of colour cells, most
// frequent cell first.
#pragma once

#include <cstdint>
#include <vector>

#include "pixkit/pixkit.h"

struct PaletteColour {
  uint8_t red, green, blue;
};

// count colours (16 with shift 5, 256 with shift 4): the low corners of the
// most frequent cells of 32768, where a cell is a colour with every channel
// shifted right by shift. Cells of equal count come in the order
// SortCellCounts leaves them; an image with fewer occupied cells than count
// fills the rest with empty cells in that order.
std::vector<PaletteColour> BuildPalette(const TDibImage& image, int count, int shift);

// Sorts counts[lo..hi] ascending and applies every exchange to codes too.
// The order among equal counts is part of the result: it decides which cells
// fill the palette, so this procedure must stay exactly as it is.
void SortCellCounts(uint16_t* counts, uint16_t* codes, int lo, int hi);
