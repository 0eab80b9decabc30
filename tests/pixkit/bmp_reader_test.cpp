// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP reader on tiny hand-made files whose pixels are worked out by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/record_storage.h"
#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

using Owned = testsupport::OwnedDib;

void put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void put32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
void append(Bytes& b, std::initializer_list<uint8_t> more) { b.insert(b.end(), more); }

struct Info {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  int32_t x_ppm = 0;
  int32_t y_ppm = 0;
  uint32_t size = 40;
  std::vector<uint32_t> masks;  // written inside headers of 52 bytes and more
};

Info info(int32_t width, int32_t height, uint16_t bits = 24, uint32_t compression = 0,
          uint32_t colours_used = 0) {
  Info i;
  i.width = width;
  i.height = height;
  i.bits = bits;
  i.compression = compression;
  i.colours_used = colours_used;
  return i;
}

// A 40-byte (or larger) info header; bytes past the masks stay zero.
Bytes info_header(const Info& i) {
  Bytes b;
  put32(b, i.size);
  put32(b, uint32_t(i.width));
  put32(b, uint32_t(i.height));
  put16(b, 1);
  put16(b, i.bits);
  put32(b, i.compression);
  put32(b, 0);
  put32(b, uint32_t(i.x_ppm));
  put32(b, uint32_t(i.y_ppm));
  put32(b, i.colours_used);
  put32(b, 0);
  if (i.size >= 52)
    for (uint32_t m : i.masks) put32(b, m);
  b.resize(i.size, 0);
  return b;
}

// File header in front of headers (info, masks, colour table) and pixels.
Bytes bmp_file(const Bytes& headers, const Bytes& pixels) {
  Bytes b = {'B', 'M'};
  put32(b, uint32_t(14 + headers.size() + pixels.size()));
  put32(b, 0);
  put32(b, uint32_t(14 + headers.size()));
  b.insert(b.end(), headers.begin(), headers.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// A colour table of n entries; entry k is (red k*16, green 100, blue 200).
Bytes colour_table(int n) {
  Bytes b;
  for (int k = 0; k < n; ++k) append(b, {200, 100, uint8_t(k * 16), 0});
  return b;
}

TDibImage open_bytes(const Bytes& file) { return pixkit::open_dib_from_memory(pixkit::ByteSpan(file)); }

std::vector<uint32_t> indices_of(const TDibImage& dib) {
  std::vector<uint32_t> out;
  for (int y = 0; y < dib.Info->bmiHeader.biHeight; ++y)
    for (int x = 0; x < dib.Info->bmiHeader.biWidth; ++x) out.push_back(getpixel(&dib, x, y));
  return out;
}

}  // namespace

TEST(BmpReader, TopDownAndBottomUpGiveTheSameUprightPicture) {
  // 2 x 2, 24 bits; rows of 6 bytes padded to 8.
  const Bytes top = {1, 2, 3, 4, 5, 6, 0, 0};  // blue, green, red
  const Bytes bottom = {7, 8, 9, 10, 11, 12, 0, 0};
  Bytes down_pixels = top, up_pixels = bottom;
  down_pixels.insert(down_pixels.end(), bottom.begin(), bottom.end());
  up_pixels.insert(up_pixels.end(), top.begin(), top.end());
  Owned down(open_bytes(bmp_file(info_header(info(2, -2)), down_pixels)));
  Owned up(open_bytes(bmp_file(info_header(info(2, 2)), up_pixels)));
  ASSERT_NE(down.dib.Bits, nullptr);
  ASSERT_NE(up.dib.Bits, nullptr);
  const testsupport::Rgba expected{2, 2, 3, {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}};
  EXPECT_EQ(testsupport::pixels_of(down.dib), expected);
  EXPECT_EQ(testsupport::pixels_of(up.dib), expected);
  EXPECT_EQ(down.dib.Info->bmiHeader.biHeight, 2);  // handed over bottom-up
}

TEST(BmpReader, Bitfields565BecomeTwentyFourBitsScaledToFullRange) {
  Bytes headers = info_header(info(3, 1, 16, 3));
  put32(headers, 0xF800);
  put32(headers, 0x07E0);
  put32(headers, 0x001F);
  // 0x8410: red 16 of 31 -> 132, green 32 of 63 -> 130, blue 16 of 31 -> 132.
  const Bytes pixels = {0x00, 0xF8, 0xE0, 0x07, 0x10, 0x84, 0, 0};
  Owned d(open_bytes(bmp_file(headers, pixels)));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(testsupport::pixels_of(d.dib),
            (testsupport::Rgba{3, 1, 3, {255, 0, 0, 0, 255, 0, 132, 130, 132}}));
}

TEST(BmpReader, SixteenBit555StaysSixteenBits) {
  for (uint32_t compression : {0u, 3u}) {
    Bytes headers = info_header(info(2, 1, 16, compression));
    if (compression == 3) {
      put32(headers, 0x7C00);
      put32(headers, 0x03E0);
      put32(headers, 0x001F);
    }
    // Bit 15 is unused in 5-5-5 and must not leak into the record.
    Owned d(open_bytes(bmp_file(headers, {0x1F, 0x80, 0xE0, 0x03})));
    ASSERT_NE(d.dib.Bits, nullptr) << compression;
    EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 16);
    const Bytes stored(d.dib.Bits, d.dib.Bits + 4);
    EXPECT_EQ(stored, (Bytes{0x1F, 0x00, 0xE0, 0x03})) << compression;
  }
}

TEST(BmpReader, ThirtyTwoBitsWithZeroFourthBytesHaveNoAlpha) {
  const Bytes pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  Owned d(open_bytes(bmp_file(info_header(info(2, 1, 32)), pixels)));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(testsupport::pixels_of(d.dib), (testsupport::Rgba{2, 1, 3, {3, 2, 1, 6, 5, 4}}));
}

TEST(BmpReader, AlphaMaskInAVFiveHeaderKeepsAlphaWhereverItSits) {
  // A V5 header with red in the top byte, alpha in the low byte.
  Info v5_info = info(2, 1, 32, 3);
  v5_info.size = 124;
  v5_info.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
  Owned v5(open_bytes(bmp_file(info_header(v5_info), {0, 1, 2, 3, 128, 4, 5, 6})));
  ASSERT_NE(v5.dib.Bits, nullptr);
  EXPECT_EQ(v5.dib.Info->bmiHeader.biBitCount, 32);
  EXPECT_EQ(testsupport::pixels_of(v5.dib), (testsupport::Rgba{2, 1, 4, {3, 2, 1, 0, 6, 5, 4, 128}}));
}

// Hand-made files in tests/data/bmp/good.
TEST(BmpReader, UncompressedVFiveHeaderTakesAlphaOnlyFromItsAlphaMask) {
  Info with_mask = info(2, 1, 32);
  with_mask.size = 124;
  with_mask.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  Info without_mask = with_mask;
  without_mask.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
  const Bytes pixels = {1, 2, 3, 64, 4, 5, 6, 255};
  Owned alpha(open_bytes(bmp_file(info_header(with_mask), pixels)));
  Owned padding(open_bytes(bmp_file(info_header(without_mask), pixels)));
  ASSERT_NE(alpha.dib.Bits, nullptr);
  ASSERT_NE(padding.dib.Bits, nullptr);
  EXPECT_EQ(testsupport::pixels_of(alpha.dib), (testsupport::Rgba{2, 1, 4, {3, 2, 1, 64, 6, 5, 4, 255}}));
  EXPECT_EQ(testsupport::pixels_of(padding.dib), (testsupport::Rgba{2, 1, 3, {3, 2, 1, 6, 5, 4}}));
}

namespace {
std::string bmp_file_path(const std::string& name) {
  return std::string(STEMPORA_TEST_DATA) + "/bmp/good/" + name;
}
}  // namespace

TEST(BmpReader, FourthByteOfPlainThirtyTwoBitsIsPaddingNotAlpha) {
  // 40-byte header, no masks; fourth bytes 0x80, 0xFF, 0x00.
  Owned d(OpenDib(bmp_file_path("thirty-two-bit-fourth-byte-padding.bmp").c_str(), 0, nullptr));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(testsupport::pixels_of(d.dib),
            (testsupport::Rgba{3, 1, 3, {30, 20, 10, 60, 50, 40, 90, 80, 70}}));
}

TEST(BmpReader, FourthMaskAfterAFortyByteHeaderIsAlpha) {
  // Masks red 0xFF000000, green 0x00FF0000, blue 0x0000FF00, alpha 0x000000FF.
  Owned d(OpenDib(bmp_file_path("bitfields-alpha-in-low-byte.bmp").c_str(), 0, nullptr));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 32);
  EXPECT_EQ(testsupport::pixels_of(d.dib),
            (testsupport::Rgba{3, 1, 4, {10, 20, 30, 64, 40, 50, 60, 255, 70, 80, 90, 0}}));
}

TEST(BmpReader, TwoBitsPerPixelReadAsFourColours) {
  // Palette black, red, green, blue; rows 0 1 2 3 0 over 3 2 1 0 1.
  Owned d(OpenDib(bmp_file_path("two-bit-four-colours.bmp").c_str(), 0, nullptr));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 4);
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{0, 1, 2, 3, 0, 3, 2, 1, 0, 1}));
  EXPECT_EQ(testsupport::pixels_of(d.dib).pixels[3], 255);  // index 1 is red
}

TEST(BmpReader, ColourCountDecidesTheBitCountHandedOver) {
  // An 8-bit file with 16 colours comes out at 4 bits with the same indices.
  Bytes headers = info_header(info(3, 1, 8, 0, 16));
  const Bytes table = colour_table(16);
  headers.insert(headers.end(), table.begin(), table.end());
  Owned d(open_bytes(bmp_file(headers, {15, 0, 7, 0})));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 4);
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{15, 0, 7}));
  EXPECT_EQ(d.dib.LogPalette.palPalEntry[7].peRed, 7 * 16);
  EXPECT_EQ(d.dib.LogPalette.palPalEntry[7].peBlue, 200);

  // Two colours: 1 bit.
  Bytes two = info_header(info(2, 1, 8, 0, 2));
  const Bytes table2 = colour_table(2);
  two.insert(two.end(), table2.begin(), table2.end());
  Owned mono(open_bytes(bmp_file(two, {1, 0, 0, 0})));
  ASSERT_NE(mono.dib.Bits, nullptr);
  EXPECT_EQ(mono.dib.Info->bmiHeader.biBitCount, 1);
  EXPECT_EQ(indices_of(mono.dib), (std::vector<uint32_t>{1, 0}));
}

TEST(BmpReader, Rle8RunsDeltaEndOfLineAndAbsoluteMode) {
  // 4 x 3, stream lines bottom-up:
  //   line 0: run of 2 x index 1, delta (+1, +1) to x 3 of line 1,
  //   line 1: run of 1 x index 2, end of line,
  //   line 2: absolute run 3, 2, 1 (odd length: one pad byte), end of bitmap.
  Bytes headers = info_header(info(4, 3, 8, 1, 4));
  const Bytes table = colour_table(4);
  headers.insert(headers.end(), table.begin(), table.end());
  const Bytes stream = {2, 1, 0, 2, 1, 1, 1, 2, 0, 0, 0, 3, 3, 2, 1, 0, 0, 1};
  Owned d(open_bytes(bmp_file(headers, stream)));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 4);
  // Top row first; skipped pixels are index 0.
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{3, 2, 1, 0,  //
                                                      0, 0, 0, 2,  //
                                                      1, 1, 0, 0}));
}

TEST(BmpReader, Rle8WithTwoColoursIsExpandedStraightToOneBit) {
  // 10 x 1 over a byte boundary: 7 x index 1, absolute 0, 1, 1 (one pad byte).
  Bytes headers = info_header(info(10, 1, 8, 1, 2));
  const Bytes table = colour_table(2);
  headers.insert(headers.end(), table.begin(), table.end());
  Owned d(open_bytes(bmp_file(headers, {7, 1, 0, 3, 0, 1, 1, 0, 0, 1})));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 1);
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{1, 1, 1, 1, 1, 1, 1, 0, 1, 1}));
}

TEST(BmpReader, Rle4AlternatingRunsAndPaddedAbsoluteRun) {
  // 5 x 2: line 0 alternates 1 and 2; line 1 is the absolute run 3..7 (3
  // bytes of nibbles, one pad byte).
  Bytes headers = info_header(info(5, 2, 4, 2));
  const Bytes table = colour_table(16);
  headers.insert(headers.end(), table.begin(), table.end());
  const Bytes stream = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
  Owned d(open_bytes(bmp_file(headers, stream)));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 4);
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{3, 4, 5, 6, 7,  //
                                                      1, 2, 1, 2, 1}));
}

TEST(BmpReader, Os2CoreHeaderWithThreeByteColourEntries) {
  Bytes headers;
  put32(headers, 12);
  put16(headers, 9);                          // width
  put16(headers, 1);                          // height
  put16(headers, 1);                          // planes
  put16(headers, 1);                          // bits
  append(headers, {0, 0, 0, 255, 255, 255});  // black, white
  Owned d(open_bytes(bmp_file(headers, {0xA0, 0x80, 0, 0})));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 1);
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{1, 0, 1, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(d.dib.LogPalette.palPalEntry[1].peGreen, 255);
}

TEST(BmpReader, LongerHeadersReadLikeTheFortyByteOne) {
  const Bytes pixels = {1, 2, 3, 0};
  for (uint32_t size : {52u, 56u, 64u, 108u, 124u}) {
    Info i = info(1, 1);
    i.x_ppm = 2835;
    i.y_ppm = 1417;
    i.size = size;
    Owned d(open_bytes(bmp_file(info_header(i), pixels)));
    ASSERT_NE(d.dib.Bits, nullptr) << size;
    EXPECT_EQ(getpixel(&d.dib, 0, 0), 0x010203u) << size;
    EXPECT_EQ(d.dib.Info->bmiHeader.biXPelsPerMeter, 2835) << size;
    EXPECT_EQ(d.dib.Info->bmiHeader.biYPelsPerMeter, 1417) << size;
  }
}

TEST(BmpReader, ColourTableEndsWhereThePixelsStart) {
  // biClrUsed 0 at 8 bits announces 256 colours, but the pixels start
  // after 3 entries.
  Bytes headers = info_header(info(3, 1, 8));
  const Bytes table = colour_table(3);
  headers.insert(headers.end(), table.begin(), table.end());
  Owned d(open_bytes(bmp_file(headers, {2, 1, 0, 0})));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(d.dib.Info->bmiHeader.biBitCount, 4);
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{2, 1, 0}));
}

TEST(BmpReader, TrailingBytesAreIgnored) {
  Bytes file = bmp_file(info_header(info(1, 1)), {9, 8, 7, 0});
  file.insert(file.end(), 100, 0xEE);
  Owned d(open_bytes(file));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(getpixel(&d.dib, 0, 0), 0x090807u);
}

TEST(BmpReader, RleRunsIntoTheRowPaddingAreDropped) {
  // Width 3 pads to 4 bytes; some writers encode the padding pixel too.
  Bytes headers = info_header(info(3, 1, 8, 1, 4));
  const Bytes table = colour_table(4);
  headers.insert(headers.end(), table.begin(), table.end());
  Owned d(open_bytes(bmp_file(headers, {4, 2, 0, 0, 0, 1})));
  ASSERT_NE(d.dib.Bits, nullptr);
  EXPECT_EQ(indices_of(d.dib), (std::vector<uint32_t>{2, 2, 2}));
}
