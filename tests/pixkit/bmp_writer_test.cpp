// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP and RLE writers: exact bytes of tiny files, and round trips
// through SaveDib and OpenDib.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

using Owned = testsupport::OwnedDib;

uint32_t le32_at(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t le16_at(const Bytes& b, size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; }

Bytes saved_bytes(const TDibImage& dib, int format) {
  testsupport::TempDir dir;
  const std::string path = dir.file("out.bmp");
  EXPECT_EQ(SaveDib(&dib, path.c_str(), format, nullptr), 1);
  return testsupport::read_file(path);
}

// A palette record with the given indices, rows top-down.
TDibImage indexed_record(int width, int height, int bits, const std::vector<uint32_t>& indices) {
  TDibImage dib = newdib(width, height, bits, nullptr, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) setpixel(&dib, x, y, indices[size_t(y * width + x)]);
  return dib;
}

Bytes tail_from(const Bytes& b, size_t at) { return Bytes(b.begin() + ptrdiff_t(at), b.end()); }

}  // namespace

TEST(BmpWriter, FourBitOddWidthFileLayout) {
  Owned d(indexed_record(3, 2, 4, {1, 2, 3, 4, 5, 6}));
  const Bytes file = saved_bytes(d.dib, PIXKIT_FORMAT_BMP);
  ASSERT_EQ(file.size(), 126u);  // 14 + 40 + 16 * 4 + 2 rows of 4 bytes
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(le32_at(file, 2), 126u);   // bfSize
  EXPECT_EQ(le32_at(file, 10), 118u);  // bfOffBits
  EXPECT_EQ(le32_at(file, 14), 40u);
  EXPECT_EQ(le32_at(file, 18), 3u);
  EXPECT_EQ(le32_at(file, 22), 2u);  // positive: bottom-up
  EXPECT_EQ(le16_at(file, 28), 4u);
  EXPECT_EQ(le32_at(file, 30), 0u);   // BI_RGB
  EXPECT_EQ(le32_at(file, 34), 8u);   // biSizeImage
  EXPECT_EQ(le32_at(file, 46), 16u);  // biClrUsed
  // Bottom row first, high nibble is the left pixel, rows padded to 4 bytes.
  EXPECT_EQ(tail_from(file, 118), (Bytes{0x45, 0x60, 0, 0, 0x12, 0x30, 0, 0}));
}

TEST(BmpWriter, ThirtyTwoBitsGetAV5HeaderWithAnAlphaMask) {
  Owned d(newdib(1, 1, 32, nullptr, 0));
  setpixel(&d.dib, 0, 0, 0x80030201);  // red 1, green 2, blue 3, alpha 128
  const Bytes file = saved_bytes(d.dib, PIXKIT_FORMAT_BMP);
  ASSERT_EQ(file.size(), 14u + 124 + 4);
  EXPECT_EQ(le32_at(file, 10), 138u);
  EXPECT_EQ(le32_at(file, 14), 124u);
  EXPECT_EQ(le32_at(file, 30), 3u);  // BI_BITFIELDS
  EXPECT_EQ(le32_at(file, 54), 0x00FF0000u);
  EXPECT_EQ(le32_at(file, 58), 0x0000FF00u);
  EXPECT_EQ(le32_at(file, 62), 0x000000FFu);
  EXPECT_EQ(le32_at(file, 66), 0xFF000000u);
  EXPECT_EQ(tail_from(file, 138), (Bytes{3, 2, 1, 128}));
}

TEST(BmpRleWriter, Rle8EncodesRunsAndLiteralsPerRow) {
  Owned d(indexed_record(8, 1, 8, {5, 5, 5, 5, 1, 2, 3, 9}));
  const Bytes file = saved_bytes(d.dib, PIXKIT_FORMAT_RLE);
  const size_t offset = 14 + 40 + 256 * 4;
  ASSERT_GT(file.size(), offset);
  EXPECT_EQ(le32_at(file, 10), offset);
  EXPECT_EQ(le32_at(file, 30), 1u);  // BI_RLE8
  // Run of four 5s, absolute run of four, end of line, end of bitmap.
  const Bytes stream = {4, 5, 0, 4, 1, 2, 3, 9, 0, 0, 0, 1};
  EXPECT_EQ(tail_from(file, offset), stream);
  EXPECT_EQ(le32_at(file, 34), stream.size());
  EXPECT_EQ(le32_at(file, 2), file.size());
}

TEST(BmpRleWriter, Rle4EncodesAlternatingRunsAndPadsLiterals) {
  Owned d(indexed_record(9, 1, 4, {1, 2, 1, 2, 1, 2, 7, 7, 3}));
  const Bytes file = saved_bytes(d.dib, PIXKIT_FORMAT_RLE);
  const size_t offset = 14 + 40 + 16 * 4;
  ASSERT_GT(file.size(), offset);
  EXPECT_EQ(le32_at(file, 30), 2u);  // BI_RLE4
  // Six pixels alternating 1 and 2, then 7, 7, 3 as an absolute run.
  EXPECT_EQ(tail_from(file, offset), (Bytes{6, 0x12, 0, 3, 0x77, 0x30, 0, 0, 0, 1}));
}

TEST(BmpRleWriter, LongUniformRowsSplitIntoRunsOf255) {
  Owned d(newdib(600, 2, 8, nullptr, 0));
  const Bytes file = saved_bytes(d.dib, PIXKIT_FORMAT_RLE);
  const size_t offset = 14 + 40 + 256 * 4;
  const Bytes row = {255, 0, 255, 0, 90, 0, 0, 0};
  Bytes stream = row;
  stream.insert(stream.end(), row.begin(), row.end());
  stream.insert(stream.end(), {0, 1});
  EXPECT_EQ(tail_from(file, offset), stream);
}

TEST(BmpRleWriter, OtherBitCountsAreWrittenUncompressed) {
  for (int bits : {1, 16, 24, 32}) {
    testsupport::TempDir dir;
    Owned d(testsupport::make_pattern(5, 3, bits));
    const std::string path = dir.file("out.rle");
    ASSERT_EQ(SaveDib(&d.dib, path.c_str(), PIXKIT_FORMAT_RLE, nullptr), 1);
    const Bytes file = testsupport::read_file(path);
    EXPECT_EQ(le32_at(file, 30), bits == 32 ? 3u : 0u) << bits;
    Owned back(OpenDib(path.c_str(), 0, nullptr));
    EXPECT_EQ(testsupport::pixels_of(back.dib), testsupport::pixels_of(d.dib)) << bits;
  }
}

TEST(BmpRoundTrip, EveryBitCountAndOddWidthThroughBothWriters) {
  testsupport::TempDir dir;
  for (int format : {PIXKIT_FORMAT_BMP, PIXKIT_FORMAT_DIB, PIXKIT_FORMAT_RLE})
    for (int bits : {1, 4, 8, 16, 24, 32})
      for (int width : {1, 2, 3, 5, 7, 9, 33}) {
        Owned d(testsupport::make_pattern(width, 3, bits));
        const std::string path = dir.file("round.bmp");
        ASSERT_EQ(SaveDib(&d.dib, path.c_str(), format, nullptr), 1);
        Owned back(OpenDib(path.c_str(), 0, nullptr));
        ASSERT_NE(back.dib.Bits, nullptr) << format << " " << bits << " " << width;
        EXPECT_EQ(back.dib.Info->bmiHeader.biBitCount, bits) << format << " " << bits << " " << width;
        EXPECT_EQ(testsupport::pixels_of(back.dib), testsupport::pixels_of(d.dib))
            << format << " " << bits << " " << width;
      }
}

TEST(BmpRoundTrip, RleKeepsRowsOfMixedRunsAndLiterals) {
  // Run lengths from 1 to 300 with literal stretches between, so that runs
  // split at 255 and absolute runs of every parity occur.
  testsupport::TempDir dir;
  for (int bits : {4, 8}) {
    const int width = 701, height = 6;
    Owned d(newdib(width, height, bits, nullptr, 0));
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width;) {
        seed = seed * 1103515245u + 12345u;
        const int length = int((seed >> 16) % (y % 2 ? 7 : 300)) + 1;
        const uint32_t value = (seed >> 8) % (1u << bits);
        for (int k = 0; k < length && x < width; ++k, ++x) setpixel(&d.dib, x, y, value);
      }
    const std::string path = dir.file("mixed.rle");
    ASSERT_EQ(SaveDib(&d.dib, path.c_str(), PIXKIT_FORMAT_RLE, nullptr), 1);
    Owned back(OpenDib(path.c_str(), 0, nullptr));
    ASSERT_NE(back.dib.Bits, nullptr) << bits;
    EXPECT_EQ(testsupport::pixels_of(back.dib), testsupport::pixels_of(d.dib)) << bits;
  }
}

TEST(BmpWriter, ResolutionOfTheLoadedFileIsWrittenBack) {
  // 1 x 1, 24 bits, 2835 x 1417 pixels per metre.
  Bytes file = {'B', 'M', 58, 0, 0,    0,    0, 0, 0,    0,    54, 0, 0, 0,  //
                40,  0,   0,  0, 1,    0,    0, 0, 1,    0,    0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
                4,   0,   0,  0, 0x13, 0x0B, 0, 0, 0x89, 0x05, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  //
                1,   2,   3,  0};
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("in.bmp"), file);
  Owned d(OpenDib(dir.file("in.bmp").c_str(), 0, nullptr));
  ASSERT_NE(d.dib.Bits, nullptr);
  for (int format : {PIXKIT_FORMAT_BMP, PIXKIT_FORMAT_RLE}) {
    const Bytes saved = saved_bytes(d.dib, format);
    EXPECT_EQ(le32_at(saved, 38), 2835u) << format;
    EXPECT_EQ(le32_at(saved, 42), 1417u) << format;
  }
}
