// SPDX-License-Identifier: LGPL-2.1-or-later
// A libjpeg source manager over a RangeSource: the decoder takes the file a
// chunk at a time, so a load holds the picture and one chunk of the file.
#pragma once

// clang-format off
#include <cstddef>
#include <cstdio>  // jpeglib.h needs size_t and FILE declared first
#include <jpeglib.h>
// clang-format on

#include "core/range_source.h"

namespace pixkit {

struct JpegSourceManager {
  jpeg_source_mgr pub;
  const RangeSource* file = nullptr;
  uint64_t next_offset = 0;  // of the first byte not yet in buffer
  JOCTET buffer[64 * 1024];
};

// Points cinfo at file through manager, which must outlive the
// decompression. The end of the file, or a read that fails, is a premature
// end of the data as libjpeg knows it (JWRN_JPEG_EOF and a fake end marker).
// A file in memory is handed to libjpeg as it is.
void use_jpeg_source(j_decompress_ptr cinfo, JpegSourceManager& manager, const RangeSource& file);

}  // namespace pixkit
