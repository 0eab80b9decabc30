// Replacing an image record with one of another depth. Promotion, reduction
// and the alpha handling all go through here, so every record they make
// keeps what a save reads from the header.
#pragma once

#include "pixkit/pixkit.h"

// An empty record of the image's size at bits per pixel that carries the
// image's resolution. Storage and Bits are null when the library cannot make
// it; the image is not touched either way.
TDibImage NewDibLike(const TDibImage& image, int bits);

// Releases the image and puts the (filled) target in its place. The caller's
// record is overwritten only after the old storage has gone, so nothing is
// left pointing at it.
void ReplaceDib(TDibImage& image, const TDibImage& target);
