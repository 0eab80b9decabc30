// SPDX-License-Identifier: LGPL-2.1-or-later
// The fixed header of a Truevision file and its checks, shared by the reader
// and the format detection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/result.h"
#include "core/source_reader.h"

namespace pixkit::tga {

inline constexpr size_t kHeaderSize = 18;
inline constexpr size_t kFooterSize = 26;
// The last 18 bytes of a version 2 file: the signature, a dot and a zero.
inline constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";  // with its zero, 18 bytes

enum ImageType : uint8_t {
  kColourMapped = 1,
  kTrueColour = 2,
  kGrey = 3,
  kColourMappedRle = 9,
  kTrueColourRle = 10,
  kGreyRle = 11,
};

// Image descriptor bits.
inline constexpr uint8_t kAttributeBitsMask = 0x0F;
inline constexpr uint8_t kRightToLeft = 0x10;
inline constexpr uint8_t kTopToBottom = 0x20;
inline constexpr uint8_t kInterleaveMask = 0xC0;  // must be 0; interleaving died with old boards

struct Header {
  uint8_t id_length = 0;           // bytes of image ID after the header
  uint8_t colour_map_type = 0;     // 0 none, 1 present
  uint8_t image_type = 0;          // one of ImageType
  uint16_t map_first = 0;          // pixel value of the first map entry
  uint16_t map_length = 0;         // entries in the map
  uint8_t map_entry_bits = 0;      // 15, 16, 24 or 32
  uint16_t width = 0, height = 0;  // 1 .. 65535
  uint8_t pixel_depth = 0;         // 8 (mapped, grey), 15, 16, 24, 32 (true colour)
  uint8_t descriptor = 0;          // attribute bits, origin, interleave

  bool is_rle() const { return image_type >= kColourMappedRle; }
  bool is_mapped() const { return image_type == kColourMapped || image_type == kColourMappedRle; }
  bool is_grey() const { return image_type == kGrey || image_type == kGreyRle; }
  size_t map_entry_bytes() const { return (size_t(map_entry_bits) + 7) / 8; }
  size_t pixel_bytes() const { return (size_t(pixel_depth) + 7) / 8; }
};

// Takes the 18 header bytes from in, in one checked read; nothing when fewer
// are left.
std::optional<Header> read_header(SourceReader& in);
// Checks every field against the values it may take for the image type.
Status check_header(const Header& header);

}  // namespace pixkit::tga
