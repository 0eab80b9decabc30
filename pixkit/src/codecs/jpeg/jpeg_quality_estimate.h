// SPDX-License-Identifier: LGPL-2.1-or-later
// The quality a JPEG was written at, read back from its quantisation tables.
#pragma once

// clang-format off
#include <cstddef>
#include <cstdio>  // jpeglib.h needs size_t and FILE declared first
#include <jpeglib.h>
// clang-format on

namespace pixkit {

// After jpeg_read_header: the IJG quality 1..100 whose scaling of the
// standard tables comes closest to the file's luminance (and chrominance)
// tables. Cameras and other encoders with tables of their own get the
// quality whose tables are nearest, which keeps a re-encode at about the
// source's detail. 0 when the file has no first table.
int estimate_jpeg_quality(const jpeg_decompress_struct& cinfo);

}  // namespace pixkit
