// SPDX-License-Identifier: LGPL-2.1-or-later
// Constants of the PC Paintbrush file layout shared by the reader and the
// writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pixkit::pcx {

inline constexpr uint8_t kManufacturer = 0x0A;  // byte 0 of every file
inline constexpr size_t kHeaderSize = 128;
inline constexpr size_t kHeaderPaletteOffset = 16;  // 16 entries of red, green, blue
inline constexpr uint8_t kVersionWithPalette = 5;   // 0, 2, 3, 4 or 5
inline constexpr uint8_t kEncodingRaw = 0;
inline constexpr uint8_t kEncodingRle = 1;
// The 256-colour palette follows the pixels: a marker byte, then 768 bytes.
inline constexpr uint8_t kPaletteMarker = 0x0C;
inline constexpr size_t kTrailerSize = 1 + 768;
// A byte with both top bits set starts a run; its low six bits are the count.
inline constexpr uint8_t kRunFlag = 0xC0;
inline constexpr unsigned kMaxRun = 63;

}  // namespace pixkit::pcx
