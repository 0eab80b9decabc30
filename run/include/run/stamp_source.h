// SPDX-License-Identifier: GPL-3.0-or-later
// What turns one prepared source into its stamped picture: the picture
// pass, the text pass, and bringing the picture back to its own depth. The
// batch run takes every step and saves the result; the preview stamps a
// copy of its prepared source for every change of the settings, showing
// the 24-bit picture without bringing it back. Both stamp through here, so
// the preview shows the pixels the run writes.
#pragma once

#include <cstdint>
#include <string>

#include "pixkit/pixkit.h"
#include "run/job.h"
#include "run/prepare_source.h"

// The picture pass, then the text pass, each when the job asks for it. With
// variables on, the text's variables are replaced for this source first:
// source is its path as opened, number its position in the whole list (from
// 1); the size is the record's.
void StampSource(TDibImage& record, const WatermarkJob& job, const std::string& source, int64_t number);

// Brings a stamped record back to the depth it was loaded at: the alpha
// set aside is restored, a palette picture is reduced again (a 16-bit one
// stays at 24 bits).
void BringBackToSourceDepth(TDibImage& record, const SourceDepth& depth);
