// SPDX-License-Identifier: LGPL-2.1-or-later
// The whole file in memory, for the decoders whose libraries take nothing
// less (WebP, AVIF, HEIF), and the EXIF block those containers carry.
#pragma once

#include <cstdint>
#include <vector>

#include "core/picture.h"
#include "core/range_source.h"
#include "core/result.h"

namespace pixkit {

// The file's bytes, refused above the limit so a huge file is not buffered.
Result<std::vector<uint8_t>> read_whole_file(const RangeSource& file);

// The TIFF structure of an EXIF payload as a container stores it: after an
// "Exif\0\0" header, after ISO-BMFF's 4-byte offset, or bare. Empty when no
// TIFF header is found.
std::vector<uint8_t> exif_tiff_part(const uint8_t* data, size_t size);

// A picture decoded top-down into its DIB rows is turned the right way
// round by swapping rows.
void flip_rows(Picture& picture);

}  // namespace pixkit
