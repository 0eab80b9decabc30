// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a picture file as the picture watermark.
#pragma once

#include <string>

#include "pixkit/pixkit.h"

// The picture at path as a 24-bit record, or a record without Bits when
// the file cannot be loaded or not be brought to 24 bits (nothing then
// needs releasing). Palette and 16-bit pictures are promoted; a 32-bit
// picture is composed over white first, so a logo with transparency shows
// its shape on white. With keep_alpha a 32-bit picture stays a 32-bit
// record with its alpha channel (the picture pass then blends by it); other
// pictures still come as 24 bits. The caller owns the record and releases
// it with deldib. owner is handed to the library's progress handler. When
// reason is given it gets why the load failed (PIXKIT_REASON_*).
TDibImage LoadWatermarkPicture(const std::string& path, void* owner, bool keep_alpha = false,
                               int* reason = nullptr);

// The picture watermark as the window keeps it: composed over white, and
// beside that the picture as loaded when it has an alpha channel, so that
// the option blending by the alpha channel applies at once when switched,
// either way, without loading the picture again.
struct WatermarkPictures {
  TDibImage flattened{};   // 24 bits
  TDibImage with_alpha{};  // 32 bits, or none
};

// Takes over a 24- or 32-bit record (a 32-bit one becomes with_alpha and a
// composed copy of it the flattened picture). Any other record, or no
// memory for the copy, gives two empty records, the one given released.
WatermarkPictures SplitWatermarkPicture(TDibImage picture);
