// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstddef>

#include "pixkit/pixkit.h"

// The record is shared by value with the program; its layout is fixed.
static_assert(sizeof(void*) == 8, "the offsets below are those of 64-bit builds");
static_assert(offsetof(TDibImage, Info) == 0);
static_assert(offsetof(TDibImage, Storage) == 8);
static_assert(offsetof(TDibImage, LibraryReserved1) == 16);
static_assert(offsetof(TDibImage, Bits) == 24);
static_assert(offsetof(TDibImage, RowBytes) == 32);
static_assert(offsetof(TDibImage, HasPalette) == 36);
static_assert(offsetof(TDibImage, LibraryReserved2) == 37);
static_assert(offsetof(TDibImage, LogPalette) == 38);
static_assert(sizeof(PixkitLogPalette) == 1028);
static_assert(offsetof(TDibImage, LibraryReserved3) == 1066);
static_assert(offsetof(TDibImage, PaletteHandle) == 1072);
static_assert(sizeof(TDibImage) - offsetof(TDibImage, LibraryReserved4) >= 28);
static_assert(offsetof(PixkitLogPalette, palPalEntry) == 4);
static_assert(sizeof(PixkitBitmapInfoHeader) == 40);
static_assert(offsetof(PixkitBitmapInfoHeader, biWidth) == 4);
static_assert(offsetof(PixkitBitmapInfoHeader, biHeight) == 8);
static_assert(offsetof(PixkitBitmapInfoHeader, biBitCount) == 14);
static_assert(offsetof(PixkitBitmapInfo, bmiColors) == 40);

TEST(RecordLayout, PaletteEntriesStartAtOffset42OfTheRecord) {
  // Entry i of LogPalette lies 4 bytes into the palette copy: 38 + 4 + 4 i.
  EXPECT_EQ(offsetof(TDibImage, LogPalette) + offsetof(PixkitLogPalette, palPalEntry), 42u);
}
