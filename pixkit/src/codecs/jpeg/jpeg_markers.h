// SPDX-License-Identifier: LGPL-2.1-or-later
// The application markers a JPEG carries that the library keeps from a load
// to a save: APP1 "Exif\0\0" and the APP2 "ICC_PROFILE" chunks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/byte_reader.h"
#include "core/picture.h"
#include "jpeg_error.h"

namespace pixkit {

inline constexpr int kExifMarker = JPEG_APP0 + 1;
inline constexpr int kIccMarker = JPEG_APP0 + 2;
inline constexpr int kPhotoshopMarker = JPEG_APP0 + 13;
// "ICC_PROFILE\0", then the chunk's sequence number (from 1) and the count.
inline constexpr size_t kIccChunkHeaderSize = 14;

// Takes the first complete EXIF block (without its "Exif\0\0" header),
// the ICC profile, and the XMP, Photoshop (IPTC) and comment segments out
// of the markers libjpeg saved. A profile whose chunks
// are missing, doubled or disagree on their count is left out; so is
// anything above kMaxMetadataBytes. Returns false only when memory ran out.
bool collect_metadata(jpeg_saved_marker_ptr markers, Metadata& metadata);

// Puts the ICC profile back together from the payloads of its APP2
// markers; empty when the chunks do not make one whole profile.
std::vector<uint8_t> assemble_icc_profile(const std::vector<ByteSpan>& app2_payloads);

}  // namespace pixkit
