// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing a rectangle of an image record scaled into a destination
// rectangle. 24- and 8-bit records are scaled here, nearest neighbour, one
// output row at a time; other depths go through Qt's own drawing.
#pragma once

#include <cstdint>
#include <functional>

#include "pixkit/pixkit.h"

class QPainter;

// Receives each finished output row: a one-row record (24 bits, or 8 bits
// carrying the image's colour table) to be drawn with its top-left pixel at
// (x, y). The record is only lent for the call.
using DibRowSink = std::function<void(int32_t x, int32_t y, const TDibImage& line)>;

// Source rectangle: SrcX from the image's left edge, SrcY from its bottom
// row (the convention of bottom-up bitmaps). The image is never changed.
// Nothing is drawn for an empty destination or an image without pixels.
void DrawDibScaled(QPainter& painter, int32_t dest_x, int32_t dest_y, int32_t dest_width, int32_t dest_height,
                   const TDibImage& image, int32_t src_x, int32_t src_y, int32_t src_width,
                   int32_t src_height);

// The row scalers. rows_above = DibHeight - SrcY - SrcHeight, the image
// rows above the source rectangle. Output rows whose source row lies
// outside the image are black (index 0); columns outside the image keep
// what the new line record holds. An output row whose source row is the
// one before is sent again without being rebuilt. Returns the number of
// rows built (copied from the image or cleared), for the tests.
int32_t ScaleRows24(const DibRowSink& sink, int32_t dest_x, int32_t dest_y, int32_t dest_width,
                    int32_t dest_height, const TDibImage& image, int32_t src_x, int32_t rows_above,
                    int32_t src_width, int32_t src_height);
int32_t ScaleRows8(const DibRowSink& sink, int32_t dest_x, int32_t dest_y, int32_t dest_width,
                   int32_t dest_height, const TDibImage& image, int32_t src_x, int32_t rows_above,
                   int32_t src_width, int32_t src_height);
