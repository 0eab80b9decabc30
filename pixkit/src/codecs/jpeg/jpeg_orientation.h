// SPDX-License-Identifier: LGPL-2.1-or-later
// Turning a decoded picture upright according to its orientation tag, so the
// picture the program stamps is the one the user sees. JPEG (EXIF) and TIFF
// share the tag and its values, and both readers turn through here.
#pragma once

#include "core/picture.h"
#include "core/result.h"

namespace pixkit {

// orientation is the EXIF/TIFF value 1..8 (how the stored rows are to be
// shown); 2..4 mirror or flip in place, 5..8 swap width and height (and the
// resolution with them). Any bit count; pictures of 1 and 4 bits leave
// repacked as finish_indexed packs them. Other values return the picture
// unchanged.
Result<Picture> turn_upright(Picture picture, int orientation);

// Turns the picture upright by the orientation of the EXIF block it carries
// and rewrites the block to match (orientation 1, the new size). A damaged
// block is dropped; the picture stays. JPEG, WebP and AVIF loads end here.
Result<Picture> turn_upright_by_exif(Picture picture);

}  // namespace pixkit
