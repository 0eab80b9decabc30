// Finds a file's format from its first bytes.
#pragma once

#include "../core/byte_reader.h"

namespace pixkit {

enum class FileFormat { Unknown, Bmp, Gif, Ilbm, Jpeg, Pcx, Tga, Tiff, Jp2, Png };

FileFormat sniff_format(ByteSpan file);

}  // namespace pixkit
