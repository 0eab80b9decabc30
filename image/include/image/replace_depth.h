// SPDX-License-Identifier: GPL-3.0-or-later
// Making a record like another one: of another depth to replace it, or a
// plain copy. Promotion, reduction, the alpha handling and every copy all
// go through here, so every record they make keeps what a save reads from
// the header.
#pragma once

#include "pixkit/pixkit.h"

// An empty record of the image's size at bits per pixel that carries the
// image's resolution and the metadata kept with it (EXIF, ICC profile). Storage and Bits are null when the
// library cannot make it; the image is not touched either way.
TDibImage NewDibLike(const TDibImage& image, int bits);

// A copy of a 24- or 32-bit image: same size, depth, resolution and pixels.
// Storage and Bits are null for a record without such pixels (a palette
// would need copying too) and when the library cannot make the copy.
TDibImage CopyDib(const TDibImage& image);

// Releases the image and puts the (filled) target in its place. The caller's
// record is overwritten only after the old storage has gone, so nothing is
// left pointing at it.
void ReplaceDib(TDibImage& image, const TDibImage& target);
