// SPDX-License-Identifier: GPL-3.0-or-later
// Reduction of a 24-bit record back to 1, 4 or 8 bits with a popularity
// palette and error diffusion.
#pragma once

#include "pixkit/pixkit.h"

// Brings a 24-bit image to depth bits when depth is 1, 4 or 8; otherwise
// the image stays at 24 bits.
void DepthDownTo(TDibImage& image, int depth);
