// SPDX-License-Identifier: GPL-3.0-or-later
// Error diffusion of a 24-bit image onto the palette of a target record.
#pragma once

#include "pixkit/pixkit.h"

// Writes into every pixel of target (1, 4 or 8 bits, with its palette and
// palette handle installed) the palette index chosen for the same pixel of
// source (24 bits, same size): serpentine error diffusion in sixteenths.
// Does nothing when either record has no pixels or the two do not match.
// Each call has its own buffers, so calls on different records may run at
// the same time.
void DitherToPalette(const TDibImage& source, const TDibImage& target);
