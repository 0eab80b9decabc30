// SPDX-License-Identifier: LGPL-2.1-or-later
// Chunk identifiers and header fields shared by the ILBM reader and writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pixkit {

constexpr uint32_t iff_id(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 |
         uint32_t(uint8_t(s[3]));
}

inline constexpr uint32_t kIdForm = iff_id("FORM");
inline constexpr uint32_t kIdIlbm = iff_id("ILBM");
inline constexpr uint32_t kIdPbm = iff_id("PBM ");
inline constexpr uint32_t kIdBmhd = iff_id("BMHD");
inline constexpr uint32_t kIdCmap = iff_id("CMAP");
inline constexpr uint32_t kIdCamg = iff_id("CAMG");
inline constexpr uint32_t kIdBody = iff_id("BODY");

inline constexpr size_t kFormHeaderSize = 12;  // "FORM", length, form type
inline constexpr size_t kChunkHeaderSize = 8;  // id, length of the data after it
inline constexpr size_t kBmhdSize = 20;

// masking
inline constexpr uint8_t kMaskNone = 0;
inline constexpr uint8_t kMaskHasMask = 1;  // one more plane per row: the mask
inline constexpr uint8_t kMaskHasTransparentColor = 2;
inline constexpr uint8_t kMaskLasso = 3;
// compression
inline constexpr uint8_t kCompressNone = 0;
inline constexpr uint8_t kCompressByteRun1 = 1;
// flags: the CMAP holds full 8-bit values (not 4-bit ones in the high nibble)
inline constexpr uint8_t kBmhdFlagCmapIs8Bit = 0x80;

// CAMG display mode bits
inline constexpr uint32_t kCamgExtraHalfBrite = 0x80;
inline constexpr uint32_t kCamgHam = 0x800;

// The fields of BMHD a decoder needs.
struct Bmhd {
  uint16_t width = 0;       // 1..max side
  uint16_t height = 0;      // 1..max side
  uint8_t planes = 0;       // ILBM: 1..8, 24 or 32; PBM: 8
  uint8_t masking = 0;      // kMaskNone..kMaskLasso
  uint8_t compression = 0;  // kCompressNone or kCompressByteRun1
  uint8_t flags = 0;
};

}  // namespace pixkit
