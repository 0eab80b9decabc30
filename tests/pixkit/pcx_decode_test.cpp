// SPDX-License-Identifier: GPL-3.0-or-later
// Tiny hand-made PCX files with hand-worked pixels, and the damaged files
// of tests/data/pcx/bad, which must all be refused without a crash.
#include <gtest/gtest.h>

#include <algorithm>

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
  int width() const { return dib.Info ? dib.Info->bmiHeader.biWidth : 0; }
  int height() const { return dib.Info ? dib.Info->bmiHeader.biHeight : 0; }
  uint32_t pixel(int x, int y) const { return getpixel(&dib, x, y); }
  uint32_t rgb_of_index(uint32_t i) const {
    const PixkitPaletteEntry& e = dib.LogPalette.palPalEntry[i];
    return e.peRed | (e.peGreen << 8) | (e.peBlue << 16);
  }
};

void put16(Bytes& f, size_t at, int v) {
  f[at] = uint8_t(v);
  f[at + 1] = uint8_t(v >> 8);
}

Bytes pcx_header(int bpp, int planes, int width, int height, int bytes_per_line, int encoding) {
  Bytes h(128, 0);
  h[0] = 0x0A;
  h[1] = 5;
  h[2] = uint8_t(encoding);
  h[3] = uint8_t(bpp);
  put16(h, 8, width - 1);
  put16(h, 10, height - 1);
  h[65] = uint8_t(planes);
  put16(h, 66, bytes_per_line);
  return h;
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PcxDecode, RunsCrossingPlanesOfA24BitLineLandInTheNextPlane) {
  // 3 x 2, 4 bytes per plane. Line 0: red 10 20 20 (pad 00), green 00 00 30
  // (pad 00), blue 40 40 40 (pad 40); the run C3 00 covers red's pad and the
  // first two green bytes, C4 40 the whole blue plane. Line 1 is literal,
  // with FF written as a run of one.
  const Bytes body = {0x10, 0xC2, 0x20, 0xC3, 0x00, 0x30, 0x00, 0xC4, 0x40,  // line 0
                      0xC1, 0xFF, 0x01, 0x02, 0x00, 0x03, 0x04, 0x05, 0x00, 0x06, 0x07, 0x08, 0x00};
  Loaded p(concat(pcx_header(8, 3, 3, 2, 4, 1), body));
  ASSERT_NE(p.dib.Bits, nullptr);
  EXPECT_EQ(p.bits(), 24);
  EXPECT_EQ(p.pixel(0, 0), 0x400010u);
  EXPECT_EQ(p.pixel(1, 0), 0x400020u);
  EXPECT_EQ(p.pixel(2, 0), 0x403020u);
  EXPECT_EQ(p.pixel(0, 1), 0x0603FFu);
  EXPECT_EQ(p.pixel(1, 1), 0x070401u);
  EXPECT_EQ(p.pixel(2, 1), 0x080502u);
}

TEST(PcxDecode, FourBitPlanesCombineIntoIndicesOfTheHeaderPalette) {
  // 3 x 1, indices 5, 10, 15 spread over four 1-bit planes, raw.
  Bytes f = pcx_header(1, 4, 3, 1, 2, 0);
  const uint8_t colours[3][3] = {{11, 12, 13}, {21, 22, 23}, {31, 32, 33}};
  const int indices[3] = {5, 10, 15};
  for (int i = 0; i < 3; ++i) std::copy(colours[i], colours[i] + 3, f.begin() + 16 + 3 * indices[i]);
  f = concat(f, {0xA0, 0x00, 0x60, 0x00, 0xA0, 0x00, 0x60, 0x00});
  Loaded p(f);
  ASSERT_NE(p.dib.Bits, nullptr);
  EXPECT_EQ(p.bits(), 4);
  EXPECT_EQ(p.pixel(0, 0), 5u);
  EXPECT_EQ(p.pixel(1, 0), 10u);
  EXPECT_EQ(p.pixel(2, 0), 15u);
  EXPECT_EQ(p.rgb_of_index(10), 21u | (22u << 8) | (23u << 16));
}

TEST(PcxDecode, OneBitUsesHeaderColoursOrBlackAndWhiteWhenTheyAreBlank) {
  // 3 x 1 raw, pixels 1 0 1 in one byte (odd bytes per line, as netpbm writes).
  Bytes f = pcx_header(1, 1, 3, 1, 1, 0);
  f.push_back(0xA0);
  Loaded blank(f);
  ASSERT_NE(blank.dib.Bits, nullptr);
  EXPECT_EQ(blank.bits(), 1);
  EXPECT_EQ(blank.pixel(0, 0), 1u);
  EXPECT_EQ(blank.pixel(1, 0), 0u);
  EXPECT_EQ(blank.rgb_of_index(0), 0x000000u);
  EXPECT_EQ(blank.rgb_of_index(1), 0xFFFFFFu);

  f[16] = 255;  // entry 0 red
  f[21] = 255;  // entry 1 blue
  Loaded coloured(f);
  ASSERT_NE(coloured.dib.Bits, nullptr);
  EXPECT_EQ(coloured.rgb_of_index(0), 0x0000FFu);
  EXPECT_EQ(coloured.rgb_of_index(1), 0xFF0000u);
}

TEST(PcxDecode, EightBitTakesTheMarkedPaletteOrFallsBackToGreys) {
  // 2 x 1 raw, indices 5 and 200.
  const Bytes plain = concat(pcx_header(8, 1, 2, 1, 2, 0), {5, 200});
  Loaded grey(plain);
  ASSERT_NE(grey.dib.Bits, nullptr);
  EXPECT_EQ(grey.bits(), 8);
  EXPECT_EQ(grey.pixel(1, 0), 200u);
  EXPECT_EQ(grey.rgb_of_index(5), 0x050505u);
  EXPECT_EQ(grey.rgb_of_index(200), 0xC8C8C8u);

  Bytes trailer(769, 0);
  trailer[0] = 0x0C;
  trailer[1 + 3 * 200] = 0x12;      // red of entry 200
  trailer[1 + 3 * 200 + 2] = 0x34;  // blue
  Loaded marked(concat(plain, trailer));
  ASSERT_NE(marked.dib.Bits, nullptr);
  EXPECT_EQ(marked.rgb_of_index(200), 0x340012u);
  EXPECT_EQ(marked.rgb_of_index(5), 0u);
}

TEST(PcxDecode, WindowOffsetsGiveTheSizeAndRowsRunTopDown) {
  // xmin 10..12, ymin 4..5: 3 x 2, 8 bits raw, greys.
  Bytes f = pcx_header(8, 1, 1, 1, 4, 0);
  put16(f, 4, 10);
  put16(f, 6, 4);
  put16(f, 8, 12);
  put16(f, 10, 5);
  f = concat(f, {1, 2, 3, 0, 4, 5, 6, 0});
  Loaded p(f);
  ASSERT_NE(p.dib.Bits, nullptr);
  EXPECT_EQ(p.width(), 3);
  EXPECT_EQ(p.height(), 2);
  EXPECT_EQ(p.pixel(0, 0), 1u);
  EXPECT_EQ(p.pixel(2, 1), 6u);
}

TEST(PcxDetect, ClaimsPlausibleHeadersOnly) {
  const Bytes good = concat(pcx_header(8, 3, 3, 2, 4, 1), Bytes(24, 0));
  EXPECT_TRUE(pixkit::looks_like_pcx(good));
  Bytes version1 = good;
  version1[1] = 1;
  EXPECT_FALSE(pixkit::looks_like_pcx(version1));
  Bytes five_planes = good;
  five_planes[65] = 5;
  EXPECT_FALSE(pixkit::looks_like_pcx(five_planes));
  Bytes backwards = good;
  put16(backwards, 4, 9);  // xmin beyond xmax
  EXPECT_FALSE(pixkit::looks_like_pcx(backwards));
  Bytes bmp = good;
  bmp[0] = 'B';
  bmp[1] = 'M';
  EXPECT_FALSE(pixkit::looks_like_pcx(bmp));
  EXPECT_FALSE(pixkit::looks_like_pcx(Bytes(good.begin(), good.begin() + 100)));
}

std::vector<std::string> bad_files() { return testsupport::data_files("pcx", "bad"); }

class PcxDamaged : public ::testing::TestWithParam<std::string> {};

TEST_P(PcxDamaged, OpenDibGivesNoPixels) {
  const std::string& path = GetParam();
  TDibImage dib = OpenDib(path.c_str(), 0, nullptr);
  EXPECT_EQ(dib.Bits, nullptr);
  deldib(&dib);
  // The reader itself refuses it too, not only the format detection.
  const Bytes bytes = testsupport::read_file(path);
  EXPECT_FALSE(pixkit::decode_pcx(pixkit::ByteSpan(bytes)).ok());
}

INSTANTIATE_TEST_SUITE_P(PcxBadFiles, PcxDamaged, ::testing::ValuesIn(bad_files()),
                         testsupport::data_file_test_name);

TEST(PcxDamagedFolder, HoldsTheRegressionFiles) { EXPECT_GE(bad_files().size(), 6u); }

}  // namespace
