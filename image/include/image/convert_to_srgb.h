// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing a picture's colours into sRGB, the colour space browsers and
// most viewers assume when a file says nothing.
#pragma once

#include "pixkit/pixkit.h"

// Converts the colours of a 24- or 32-bit record (alpha untouched) from the
// ICC profile kept with it to sRGB with Little CMS (perceptual intent, as
// its transicc and tificc do by default) and keeps lcms2's sRGB profile
// with the record in its place. A record without a profile is sRGB already
// and only gets the profile. Returns false and changes nothing when the
// profile is not an RGB profile lcms2 can use, for other depths, or without
// memory.
bool ConvertToSrgb(TDibImage& image);

// Takes away a profile that cannot say what the record's values mean: one
// lcms2 cannot read whole (cut off, garbage), or not an RGB device profile
// for a 24- or 32-bit record (grey, CMYK, Lab, a device link). The record
// then counts as sRGB, as one that never had a profile, instead of being
// written under a label that misreads it. True when a profile was taken.
bool DropUnusableIccProfile(TDibImage& image);
