// SPDX-License-Identifier: GPL-3.0-or-later
// Tiny hand-made TGA files with hand-worked pixels, and the damaged files
// of tests/data/tga/bad, which must all be refused without a crash.
#include <gtest/gtest.h>


#include "codecs/codecs.h"
#include "core/record_storage.h"
#include "pixkit/pixkit.h"
#include "support/data_files.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Loaded : testsupport::OwnedDib {
  explicit Loaded(const Bytes& file) : OwnedDib(pixkit::open_dib_from_memory(pixkit::ByteSpan(file))) {}
  uint32_t pixel(int x, int y) const { return getpixel(&dib, x, y); }
  uint32_t rgb_of_index(uint32_t i) const {
    const PixkitPaletteEntry& e = dib.LogPalette.palPalEntry[i];
    return e.peRed | (e.peGreen << 8) | (e.peBlue << 16);
  }
};

struct MapFields {
  int first = 0, length = 0, bits = 0;
};

Bytes tga_header(int image_type, int width, int height, int depth, int descriptor, MapFields map = {},
                 int id_length = 0) {
  return Bytes{uint8_t(id_length),
               uint8_t(map.length ? 1 : 0),
               uint8_t(image_type),
               uint8_t(map.first),
               uint8_t(map.first >> 8),
               uint8_t(map.length),
               uint8_t(map.length >> 8),
               uint8_t(map.bits),
               0,
               0,
               0,
               0,
               uint8_t(width),
               uint8_t(width >> 8),
               uint8_t(height),
               uint8_t(height >> 8),
               uint8_t(depth),
               uint8_t(descriptor)};
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(TgaDecode, RlePacketsRunOnFromOneRowIntoTheNext) {
  // 3 x 2, 24 bits, bottom-left origin. A run of 4 fills the bottom row and
  // the first pixel of the top row; a literal packet of 2 ends the top row.
  const Bytes body = {0x83, 0x01, 0x02, 0x03, 0x01, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
  Loaded p(concat(tga_header(10, 3, 2, 24, 0), body));
  ASSERT_NE(p.dib.Bits, nullptr);
  EXPECT_EQ(p.bits(), 24);
  EXPECT_EQ(p.pixel(0, 0), 0x010203u);
  EXPECT_EQ(p.pixel(1, 0), 0x102030u);
  EXPECT_EQ(p.pixel(2, 0), 0x405060u);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(p.pixel(x, 1), 0x010203u);
}

TEST(TgaDecode, OriginBitsPlaceTheStoredRows) {
  // 2 x 2 grey, stored 1 2 / 3 4; grey comes back as 24 bits.
  struct Case {
    int descriptor;
    uint8_t top_left, top_right, bottom_left, bottom_right;
  };
  for (const Case c :
       {Case{0x00, 3, 4, 1, 2}, Case{0x20, 1, 2, 3, 4}, Case{0x10, 4, 3, 2, 1}, Case{0x30, 2, 1, 4, 3}}) {
    Loaded p(concat(tga_header(3, 2, 2, 8, c.descriptor), {1, 2, 3, 4}));
    ASSERT_NE(p.dib.Bits, nullptr) << c.descriptor;
    EXPECT_EQ(p.bits(), 24);
    EXPECT_EQ(p.pixel(0, 0), c.top_left * 0x010101u) << c.descriptor;
    EXPECT_EQ(p.pixel(1, 0), c.top_right * 0x010101u) << c.descriptor;
    EXPECT_EQ(p.pixel(0, 1), c.bottom_left * 0x010101u) << c.descriptor;
    EXPECT_EQ(p.pixel(1, 1), c.bottom_right * 0x010101u) << c.descriptor;
  }
}

TEST(TgaDecode, SixteenBitPixelsStayFiveFiveFiveWithTheAttributeBitCleared) {
  for (int depth : {15, 16}) {
    // Red, green, and blue with the attribute bit set.
    Loaded p(concat(tga_header(2, 3, 1, depth, 0), {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x80}));
    ASSERT_NE(p.dib.Bits, nullptr) << depth;
    EXPECT_EQ(p.bits(), 16);
    EXPECT_EQ(Bytes(p.dib.Bits, p.dib.Bits + 6), (Bytes{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00})) << depth;
  }
}

TEST(TgaDecode, ColourMapFirstEntryShiftsThePixelValues) {
  // Map entries for pixel values 2, 3 and 4 (blue, green, red); pixels 2 4 3.
  const Bytes map = {0x01, 0x02, 0x03, 0x11, 0x12, 0x13, 0x21, 0x22, 0x23};
  Loaded p(concat(concat(tga_header(1, 3, 1, 8, 0, {2, 3, 24}), map), {2, 4, 3}));
  ASSERT_NE(p.dib.Bits, nullptr);
  EXPECT_EQ(p.bits(), 4);  // three colours
  EXPECT_EQ(p.pixel(0, 0), 0u);
  EXPECT_EQ(p.pixel(1, 0), 2u);
  EXPECT_EQ(p.pixel(2, 0), 1u);
  EXPECT_EQ(p.rgb_of_index(0), 0x010203u);
  EXPECT_EQ(p.rgb_of_index(2), 0x212223u);
}

TEST(TgaDecode, SixteenBitMapEntriesAndRleIndicesAfterAnImageId) {
  // ID "hello" skipped; map of two 16-bit entries (red, blue); RLE run of 3
  // of index 1 then one literal 0: 2 x 2, bottom-left.
  Bytes f = tga_header(9, 2, 2, 8, 0, {0, 2, 16}, 5);
  f = concat(f, {'h', 'e', 'l', 'l', 'o'});
  f = concat(f, {0x00, 0x7C, 0x1F, 0x00});
  f = concat(f, {0x82, 0x01, 0x00, 0x00});
  Loaded p(f);
  ASSERT_NE(p.dib.Bits, nullptr);
  EXPECT_EQ(p.bits(), 1);
  EXPECT_EQ(p.rgb_of_index(0), 0x0000FFu);
  EXPECT_EQ(p.rgb_of_index(1), 0xFF0000u);
  EXPECT_EQ(p.pixel(0, 1), 1u);
  EXPECT_EQ(p.pixel(1, 1), 1u);
  EXPECT_EQ(p.pixel(0, 0), 1u);
  EXPECT_EQ(p.pixel(1, 0), 0u);
}

TEST(TgaDecode, ThirtyTwoBitKeepsARealAlphaAndDropsAnEmptyOne) {
  Loaded empty(concat(tga_header(2, 2, 1, 32, 0), {1, 2, 3, 0, 4, 5, 6, 0}));
  ASSERT_NE(empty.dib.Bits, nullptr);
  EXPECT_EQ(empty.bits(), 24);
  EXPECT_EQ(empty.pixel(1, 0), 0x040506u);

  Loaded real(concat(tga_header(2, 2, 1, 32, 8), {1, 2, 3, 0, 4, 5, 6, 0x80}));
  ASSERT_NE(real.dib.Bits, nullptr);
  EXPECT_EQ(real.bits(), 32);
  EXPECT_EQ(real.pixel(0, 0), 0x00010203u);
  EXPECT_EQ(real.pixel(1, 0), 0x80040506u);
}

TEST(TgaDetect, ClaimsPlausibleHeadersOnly) {
  const Bytes good = concat(tga_header(2, 2, 1, 24, 0), Bytes(6, 0));
  EXPECT_TRUE(pixkit::looks_like_tga(good));
  Bytes type4 = good;
  type4[2] = 4;
  EXPECT_FALSE(pixkit::looks_like_tga(type4));
  Bytes map_type2 = good;
  map_type2[1] = 2;
  EXPECT_FALSE(pixkit::looks_like_tga(map_type2));
  Bytes zero_width = good;
  zero_width[12] = 0;
  EXPECT_FALSE(pixkit::looks_like_tga(zero_width));
  Bytes odd_depth = good;
  odd_depth[16] = 12;
  EXPECT_FALSE(pixkit::looks_like_tga(odd_depth));
  Bytes stray_map = good;
  stray_map[5] = 4;  // a map length without a map
  EXPECT_FALSE(pixkit::looks_like_tga(stray_map));
  // A PCX header is not a TGA header.
  Bytes pcx(200, 0);
  pcx[0] = 0x0A;
  pcx[1] = 5;
  pcx[2] = 1;
  pcx[3] = 8;
  EXPECT_FALSE(pixkit::looks_like_tga(pcx));
  EXPECT_FALSE(pixkit::looks_like_tga(Bytes(good.begin(), good.begin() + 17)));
}

std::vector<std::string> bad_files() { return testsupport::data_files("tga", "bad"); }

class TgaDamaged : public ::testing::TestWithParam<std::string> {};

TEST_P(TgaDamaged, OpenDibGivesNoPixels) {
  const std::string& path = GetParam();
  TDibImage dib = OpenDib(path.c_str(), 0, nullptr);
  EXPECT_EQ(dib.Bits, nullptr);
  deldib(&dib);
  // The reader itself refuses it too, not only the format detection.
  const Bytes bytes = testsupport::read_file(path);
  EXPECT_FALSE(pixkit::decode_tga(pixkit::ByteSpan(bytes)).ok());
}

INSTANTIATE_TEST_SUITE_P(TgaBadFiles, TgaDamaged, ::testing::ValuesIn(bad_files()),
                         testsupport::data_file_test_name);

TEST(TgaDamagedFolder, HoldsTheRegressionFiles) { EXPECT_GE(bad_files().size(), 6u); }

}  // namespace
