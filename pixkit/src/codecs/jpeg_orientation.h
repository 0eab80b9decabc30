// Turning a decoded photo upright according to its EXIF orientation, so the
// picture the program stamps is the one the user sees.
#pragma once

#include "../core/picture.h"
#include "../core/result.h"

namespace pixkit {

// orientation is the EXIF value 1..8 (how the stored rows are to be shown);
// 2..4 mirror or flip in place, 5..8 swap width and height. The picture is
// 24 bits per pixel. Other values return the picture unchanged.
Result<Picture> turn_upright(Picture picture, int orientation);

}  // namespace pixkit
