// SPDX-License-Identifier: LGPL-2.1-or-later
// The colour specification box of a JP2 file OpenJPEG wrote. OpenJPEG up to
// 2.5.3 never copies an image's ICC profile into the file it writes (and
// asserts when asked to), so the writer lets it declare sRGB and then
// swaps that box for one holding the profile.
#pragma once

#include <cstdint>
#include <vector>

#include "core/result.h"

namespace pixkit {

// Replaces the first colour specification box ('colr') inside the header
// box ('jp2h') of file by one of method 2 (restricted ICC) holding icc, and
// corrects the header box's length. Nothing else in a JP2 file points at
// an offset behind the header box, so the code stream needs no change.
Status put_icc_into_colour_box(std::vector<uint8_t>& file, const std::vector<uint8_t>& icc);

}  // namespace pixkit
