// SPDX-License-Identifier: GPL-3.0-or-later
// Photo-like pictures for the watermark benchmark.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"

// A 24-bit picture of width x height; Bits is null when it cannot be made.
TDibImage MakePhotoLikePicture(int width, int height, uint32_t seed);
