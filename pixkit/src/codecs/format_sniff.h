// SPDX-License-Identifier: LGPL-2.1-or-later
// Finds a file's format from its first bytes (and, for TGA, its footer),
// without reading the rest.
#pragma once

#include "../core/range_source.h"

namespace pixkit {

enum class FileFormat { Unknown, Bmp, Gif, Ilbm, Jpeg, Pcx, Tga, Tiff, Jp2, Png };

FileFormat sniff_format(const RangeSource& file);

}  // namespace pixkit
