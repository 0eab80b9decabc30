// SPDX-License-Identifier: GPL-3.0-or-later
// The ILBM writer: the exact bytes of a tiny file, ByteRun1 packing, and
// round trips through SaveDib and OpenDib for every bit count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codecs/ilbm/ilbm_byte_run.h"
#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::pixels_of;
using testsupport::Rgba;

using Owned = testsupport::OwnedDib;

Bytes pack(const Bytes& data) {
  Bytes out;
  pixkit::pack_byte_run1(data.data(), data.size(), out);
  return out;
}

TEST(IlbmByteRun, PacksRepeatsOfThreeOrMoreAndKeepsPairsInLiterals) {
  EXPECT_EQ(pack({1, 1, 1, 1, 2, 3, 3, 4, 5, 5, 5}), (Bytes{0xFD, 1, 0x03, 2, 3, 3, 4, 0xFE, 5}));
  EXPECT_EQ(pack({7}), (Bytes{0x00, 7}));
  EXPECT_EQ(pack({7, 7}), (Bytes{0x01, 7, 7}));
}

TEST(IlbmByteRun, SplitsRunsLongerThan128) {
  EXPECT_EQ(pack(Bytes(200, 0)), (Bytes{0x81, 0, 0xB9, 0}));
  Bytes distinct(130);
  for (size_t i = 0; i < distinct.size(); ++i) distinct[i] = uint8_t(i);
  const Bytes packed = pack(distinct);
  ASSERT_EQ(packed.size(), 1 + 128 + 1 + 2u);
  EXPECT_EQ(packed[0], 0x7F);
  EXPECT_EQ(packed[129], 0x01);
  EXPECT_EQ(packed[130], 128);
}

TEST(IlbmByteRun, UnpackRefusesRunsPastTheRowOrTheInput) {
  uint8_t row[4];
  const Bytes good{0x80, 0xFE, 9, 0x00, 8};  // no-op, 3 x 9, literal 8
  pixkit::ByteReader in_good(good);
  ASSERT_TRUE(pixkit::unpack_byte_run1(in_good, row, 4).ok());
  EXPECT_EQ(Bytes(row, row + 4), (Bytes{9, 9, 9, 8}));

  const Bytes repeat_too_long{0xFC, 9};  // 5 bytes into a row of 4
  pixkit::ByteReader in_repeat(repeat_too_long);
  EXPECT_FALSE(pixkit::unpack_byte_run1(in_repeat, row, 4).ok());
  const Bytes literal_too_long{0x04, 1, 2, 3, 4, 5};
  pixkit::ByteReader in_literal(literal_too_long);
  EXPECT_FALSE(pixkit::unpack_byte_run1(in_literal, row, 4).ok());
  const Bytes input_ends{0x03, 1, 2};
  pixkit::ByteReader in_short(input_ends);
  EXPECT_FALSE(pixkit::unpack_byte_run1(in_short, row, 4).ok());
}

class IlbmWriter : public ::testing::Test {
 protected:
  // Saves dib with the format code and loads it back.
  TDibImage save_and_open(const TDibImage& dib, int format) {
    const std::string path = dir.file(format == PIXKIT_FORMAT_IFF ? "out.iff" : "out.lbm");
    EXPECT_EQ(SaveDib(&dib, path.c_str(), format, nullptr), 1);
    return OpenDib(path.c_str(), 0, nullptr);
  }
  testsupport::TempDir dir;
};

TEST_F(IlbmWriter, OneBitPictureHasExactBytes) {
  PixkitBitmapInfo palette{};
  palette.bmiColors[0] = PixkitRgbQuad{30, 20, 10, 0};
  palette.bmiColors[1] = PixkitRgbQuad{50, 100, 200, 0};
  Owned dib(newdib(3, 2, 1, &palette, 2));
  ASSERT_NE(dib.dib.Bits, nullptr);
  // Row 0: 1, 0, 1; row 1: 0, 1, 1.
  setpixel(&dib.dib, 0, 0, 1);
  setpixel(&dib.dib, 2, 0, 1);
  setpixel(&dib.dib, 1, 1, 1);
  setpixel(&dib.dib, 2, 1, 1);
  const std::string path = dir.file("tiny.iff");
  ASSERT_EQ(SaveDib(&dib.dib, path.c_str(), PIXKIT_FORMAT_IFF, nullptr), 1);
  const Bytes expected{'F', 'O', 'R', 'M', 0, 0, 0, 60, 'I', 'L', 'B', 'M',
                       // BMHD: 3 x 2 at 0, 0; 1 plane, no mask, ByteRun1, 8-bit CMAP flag;
                       // transparent colour 0, aspect 1:1, page 3 x 2.
                       'B', 'M', 'H', 'D', 0, 0, 0, 20, 0, 3, 0, 2, 0, 0, 0, 0, 1, 0, 1, 0x80, 0, 0, 1, 1, 0,
                       3, 0, 2, 'C', 'M', 'A', 'P', 0, 0, 0, 6, 10, 20, 30, 200, 100, 50,
                       // Each row is one plane of two bytes, packed as a literal run.
                       'B', 'O', 'D', 'Y', 0, 0, 0, 6, 0x01, 0xA0, 0x00, 0x01, 0x60, 0x00};
  EXPECT_EQ(testsupport::read_file(path), expected);
}

TEST_F(IlbmWriter, OddBodyLengthGetsPadByteAndFormCountsIt) {
  // A 1-bit 1 x 1 picture: its one plane row 00 00 packs to the literal
  // 01 00 00, three bytes.
  Owned dib(newdib(1, 1, 1, nullptr, 0));
  const std::string path = dir.file("pad.iff");
  ASSERT_EQ(SaveDib(&dib.dib, path.c_str(), PIXKIT_FORMAT_LBM, nullptr), 1);
  const Bytes file = testsupport::read_file(path);
  ASSERT_EQ(file.size(), 12u + 28 + 14 + 8 + 3 + 1);
  EXPECT_EQ(Bytes(file.end() - 12, file.end()), (Bytes{'B', 'O', 'D', 'Y', 0, 0, 0, 3, 0x01, 0, 0, 0}));
  EXPECT_EQ(Bytes(file.begin() + 4, file.begin() + 8), (Bytes{0, 0, 0, uint8_t(file.size() - 8)}));
}

TEST_F(IlbmWriter, PalettePicturesRoundTripAtTheirBitCount) {
  for (int bits : {1, 4, 8})
    for (int width : {1, 7, 16, 17, 33}) {
      Owned original(testsupport::make_pattern(width, 5, bits));
      ASSERT_NE(original.dib.Bits, nullptr);
      Owned loaded(save_and_open(original.dib, width % 2 ? PIXKIT_FORMAT_IFF : PIXKIT_FORMAT_LBM));
      ASSERT_NE(loaded.dib.Bits, nullptr) << bits << " bits, width " << width;
      EXPECT_EQ(loaded.bits(), bits) << width;
      EXPECT_EQ(pixels_of(loaded.dib), pixels_of(original.dib)) << bits << " bits, width " << width;
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(getpixel(&loaded.dib, x, y), getpixel(&original.dib, x, y))
              << bits << " " << x << "," << y;
    }
}

TEST_F(IlbmWriter, TrueColourRoundTripsAsDeepIlbm) {
  for (int width : {1, 9, 16, 31}) {
    Owned original(testsupport::make_pattern(width, 6, 24));
    Owned loaded(save_and_open(original.dib, PIXKIT_FORMAT_IFF));
    ASSERT_NE(loaded.dib.Bits, nullptr) << width;
    EXPECT_EQ(loaded.bits(), 24);
    EXPECT_EQ(pixels_of(loaded.dib), pixels_of(original.dib)) << width;
  }
}

TEST_F(IlbmWriter, SixteenAndThirtyTwoBitsAreWrittenAs24WithoutAlpha) {
  Owned five_five_five(testsupport::make_pattern(11, 4, 16));
  Owned from16(save_and_open(five_five_five.dib, PIXKIT_FORMAT_IFF));
  ASSERT_NE(from16.dib.Bits, nullptr);
  EXPECT_EQ(from16.bits(), 24);
  EXPECT_EQ(pixels_of(from16.dib), pixels_of(five_five_five.dib));

  Owned with_alpha(testsupport::make_pattern(11, 4, 32));
  Owned from32(save_and_open(with_alpha.dib, PIXKIT_FORMAT_LBM));
  ASSERT_NE(from32.dib.Bits, nullptr);
  EXPECT_EQ(from32.bits(), 24);
  Rgba expected = pixels_of(with_alpha.dib);
  Rgba rgb{expected.width, expected.height, 3, {}};
  for (size_t i = 0; i < expected.pixels.size(); i += 4)
    rgb.pixels.insert(rgb.pixels.end(), {expected.pixels[i], expected.pixels[i + 1], expected.pixels[i + 2]});
  EXPECT_EQ(pixels_of(from32.dib), rgb);
}

TEST_F(IlbmWriter, BothFormatCodesWriteAnIlbmForm) {
  Owned dib(testsupport::make_pattern(4, 4, 8));
  for (int format : {PIXKIT_FORMAT_IFF, PIXKIT_FORMAT_LBM}) {
    const std::string path = dir.file("code" + std::to_string(format));
    ASSERT_EQ(SaveDib(&dib.dib, path.c_str(), format, nullptr), 1);
    const Bytes file = testsupport::read_file(path);
    ASSERT_GE(file.size(), 12u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "FORM");
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 12), "ILBM");
  }
}

}  // namespace
