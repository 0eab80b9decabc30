// SPDX-License-Identifier: LGPL-2.1-or-later
// Finds a file's format from its first bytes (and, for TGA, its footer),
// without reading the rest.
#pragma once

#include "core/range_source.h"

namespace pixkit {

enum class FileFormat { Unknown, Bmp, Gif, Ilbm, Jpeg, Pcx, Tga, Tiff, Jp2, Png, Webp, Avif, Heif };

// The formats every load reads; never Webp, Avif or Heif.
FileFormat sniff_format(const RangeSource& file);
// WebP (RIFF "WEBP") and the ISO-BMFF pictures: AVIF by its brands, HEIF
// by the HEVC and image brands; Unknown for anything else. Only loads that
// ask for the further formats look for them.
FileFormat sniff_more_formats(const RangeSource& file);

}  // namespace pixkit
