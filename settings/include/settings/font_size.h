// SPDX-License-Identifier: GPL-3.0-or-later
// A font's character height and its size in points belong together
// through the pixels per inch, as the platform's font object keeps them:
// setting one sets the other.
#pragma once

#include <cstdint>

// -(size * ppi / 72) rounded half away from zero.
int32_t FontHeightFromSize(int32_t size, int32_t pixels_per_inch);
// -(height * 72 / ppi) rounded half away from zero; 0 ppi gives 0.
int32_t FontSizeFromHeight(int32_t height, int32_t pixels_per_inch);
