// SPDX-License-Identifier: LGPL-2.1-or-later
// Single-pixel access with the top-left origin over bottom-up memory.
#include "core/record_storage.h"

using namespace pixkit;

namespace {

// The byte row of image row y, or null when (x, y) lies outside.
uint8_t* pixel_row(const TDibImage* dib, int x, int y) {
  if (!dib || !dib->Bits || !dib->Info) return nullptr;
  const PixkitBitmapInfoHeader& h = dib->Info->bmiHeader;
  if (x < 0 || y < 0 || x >= h.biWidth || y >= h.biHeight) return nullptr;
  return dib->Bits + int64_t(h.biHeight - 1 - y) * dib->RowBytes;
}

}  // namespace

extern "C" {

PIXKIT_API uint32_t getpixel(const TDibImage* dib, int x, int y) {
  uint8_t* row = pixel_row(dib, x, y);
  if (!row) return 0;
  switch (dib->Info->bmiHeader.biBitCount) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
      return (x & 1) ? (row[x >> 1] & 15u) : (row[x >> 1] >> 4);
    case 8:
      return row[x];
    case 16: {
      const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
      const uint32_t b = (v & 31) << 3, g = ((v >> 5) & 31) << 3, r = ((v >> 10) & 31) << 3;
      return r | (g << 8) | (b << 16);
    }
    case 24: {
      const uint8_t* p = row + 3 * x;
      return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
    }
    case 32: {
      const uint8_t* p = row + 4 * x;
      return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16) | (uint32_t(p[3]) << 24);
    }
    default:
      return 0;
  }
}

PIXKIT_API void setpixel(const TDibImage* dib, int x, int y, uint32_t value) {
  uint8_t* row = pixel_row(dib, x, y);
  if (!row) return;
  const uint8_t r = uint8_t(value), g = uint8_t(value >> 8), b = uint8_t(value >> 16);
  switch (dib->Info->bmiHeader.biBitCount) {
    case 1: {
      const uint8_t mask = uint8_t(0x80 >> (x & 7));
      row[x >> 3] = (value & 1) ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
      return;
    }
    case 4: {
      uint8_t& byte = row[x >> 1];
      byte = (x & 1) ? uint8_t((byte & 0xF0) | (value & 15)) : uint8_t((byte & 0x0F) | ((value & 15) << 4));
      return;
    }
    case 8:
      row[x] = uint8_t(value);
      return;
    case 16: {
      const unsigned v = (b >> 3) | ((g >> 3) << 5) | ((r >> 3) << 10);
      row[2 * x] = uint8_t(v);
      row[2 * x + 1] = uint8_t(v >> 8);
      return;
    }
    case 24:
      row[3 * x] = b;
      row[3 * x + 1] = g;
      row[3 * x + 2] = r;
      return;
    case 32:
      row[4 * x] = b;
      row[4 * x + 1] = g;
      row[4 * x + 2] = r;
      row[4 * x + 3] = uint8_t(value >> 24);
      return;
    default:
      return;
  }
}

}  // extern "C"
