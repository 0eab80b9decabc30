// SPDX-License-Identifier: LGPL-2.1-or-later
// The EXIF block of a JPEG (the TIFF structure after "Exif\0\0"): finding
// the few fields a watermarked copy must change, and changing them. Every
// offset in the block is checked before it is followed; a block that does
// not hold together is reported as damaged and the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/byte_reader.h"
#include "core/result.h"

namespace pixkit {

inline constexpr uint8_t kExifMarkerHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

// Where the fields sit. Offsets count from the start of the block; 0 means
// the field is absent (offset 0 holds the byte-order mark, never a value).
struct ExifLayout {
  bool big_endian = false;
  uint16_t orientation = 1;   // 1..8, 1 when absent or out of range
  size_t orientation_at = 0;  // IFD0 Orientation (SHORT) value
  size_t pixel_x_at = 0;      // Exif IFD PixelXDimension value
  size_t pixel_y_at = 0;      // Exif IFD PixelYDimension value
  uint16_t pixel_x_type = 0;  // 3 SHORT or 4 LONG
  uint16_t pixel_y_type = 0;
  size_t next_ifd_link_at = 0;  // IFD0's link to IFD1
  size_t ifd1_at = 0;           // IFD1 directory, when it lies inside the block
  size_t ifd1_size = 0;         // its bytes: count, entries and link
  size_t thumbnail_at = 0;      // thumbnail bytes, when they lie inside the block
  size_t thumbnail_size = 0;
};

Result<ExifLayout> read_exif_layout(ByteSpan block);

// Rewrites the block for a picture stored upright at width x height:
// Orientation 1, PixelX/YDimension set where present, IFD1 unlinked and its
// directory and thumbnail zeroed; a thumbnail at the very end is cut off.
// layout must come from read_exif_layout of this very block. Fields of a
// hostile block may share bytes with the directories, so the result is
// walked again; when it no longer holds together the call fails and the
// caller drops the block.
[[nodiscard]] Status make_exif_upright(std::vector<uint8_t>& block, const ExifLayout& layout, uint32_t width,
                                       uint32_t height);

}  // namespace pixkit

namespace pixkit {

// The kept EXIF block as a copy for a picture written upright at width x
// height (make_exif_upright on a copy); empty when there is none or it is
// damaged. For the writers that store the block as it is (PNG, WebP, AVIF).
std::vector<uint8_t> upright_exif_copy(const std::vector<uint8_t>& exif, uint32_t width, uint32_t height);

}  // namespace pixkit
