// SPDX-License-Identifier: GPL-3.0-or-later
// Scaling a picture to another size with a Lanczos-3 filter, one direction
// at a time: the filter photo tools use for their exports, sharp without the
// moire of plain averaging, its ringing on hard edges no wider than theirs.
#pragma once

#include <cstdint>

#include "image/depth_up.h"
#include "pixkit/pixkit.h"

// Replaces a 24- or 32-bit record by one of width x height (both >= 1) that
// keeps its resolution fields and the metadata the library carries with it
// (EXIF, ICC profile). Returns false and leaves the record as it was for
// other depths and when there is no memory for the result.
bool ResizeDib(TDibImage& image, int32_t width, int32_t height);

// The same filter over an alpha plane set aside from a 32-bit picture; an
// empty plane stays empty. False, and the plane unchanged, without memory.
bool ResizeAlphaPlane(AlphaPlane& plane, int32_t width, int32_t height);
