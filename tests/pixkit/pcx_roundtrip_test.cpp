// SPDX-License-Identifier: GPL-3.0-or-later
// PCX files written by SaveDib come back through OpenDib with the same
// pixels, and their headers follow the format's rules.
#include <gtest/gtest.h>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::pixels_of;
using testsupport::Rgba;

using Owned = testsupport::OwnedDib;

int le16_at(const std::vector<uint8_t>& f, size_t at) { return f[at] | (f[at + 1] << 8); }

// The RGB channels alone, for comparing a 32-bit picture with one that lost
// its alpha.
Rgba without_alpha(const Rgba& in) {
  if (in.channels == 3) return in;
  Rgba out{in.width, in.height, 3, {}};
  for (size_t i = 0; i < in.pixels.size(); i += 4)
    out.pixels.insert(out.pixels.end(), &in.pixels[i], &in.pixels[i + 3]);
  return out;
}

class PcxRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(PcxRoundTrip, OddWidthPicturesComeBackUnchanged) {
  const int bits = GetParam();
  testsupport::TempDir dir;
  for (const auto& [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{17, 5}, std::pair{70, 2}}) {
    Owned original(testsupport::make_pattern(w, h, bits));
    ASSERT_NE(original.dib.Bits, nullptr);
    const std::string path = dir.file("p.pcx");
    ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_PCX, nullptr), 1) << bits;
    Owned loaded(OpenDib(path.c_str(), 0, nullptr));
    ASSERT_NE(loaded.dib.Bits, nullptr) << bits << " " << w << "x" << h;
    // Palette pictures keep their depth; every other depth is stored as 24
    // bits (PCX has no 16-bit form, and its fourth plane is not written).
    EXPECT_EQ(loaded.bits(), bits <= 8 ? bits : 24);
    const Rgba want = without_alpha(pixels_of(original.dib));
    const Rgba got = pixels_of(loaded.dib);
    if (bits == 16)
      EXPECT_LE(testsupport::max_channel_difference(want, got), 7) << w << "x" << h;
    else
      EXPECT_EQ(want, got) << bits << " " << w << "x" << h;
  }
}

INSTANTIATE_TEST_SUITE_P(PcxBitCounts, PcxRoundTrip, ::testing::Values(1, 4, 8, 16, 24, 32));

TEST(PcxWriter, HeaderNamesVersionFiveRleAndEvenLineLengths) {
  testsupport::TempDir dir;
  struct Case {
    int bits, bpp, planes, bytes_per_line;
  };
  // Width 9: 2 bytes at 1 bit per plane, 9 -> 10 bytes at 8 bits.
  for (const Case c : {Case{1, 1, 1, 2}, Case{4, 1, 4, 2}, Case{8, 8, 1, 10}, Case{24, 8, 3, 10}}) {
    Owned original(testsupport::make_pattern(9, 2, c.bits));
    const std::string path = dir.file("h.pcx");
    ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_PCX, nullptr), 1);
    const std::vector<uint8_t> f = testsupport::read_file(path);
    ASSERT_GE(f.size(), 128u);
    EXPECT_EQ(f[0], 0x0A);
    EXPECT_EQ(f[1], 5);
    EXPECT_EQ(f[2], 1);
    EXPECT_EQ(f[3], c.bpp) << c.bits;
    EXPECT_EQ(le16_at(f, 8), 8);   // xmax
    EXPECT_EQ(le16_at(f, 10), 1);  // ymax
    EXPECT_EQ(f[65], c.planes) << c.bits;
    EXPECT_EQ(le16_at(f, 66), c.bytes_per_line) << c.bits;
  }
}

TEST(PcxWriter, EightBitFilesEndWithMarkedPaletteAndFourBitFilesCarryHeaderPalette) {
  testsupport::TempDir dir;
  Owned eight(testsupport::make_pattern(3, 2, 8));
  ASSERT_EQ(SaveDib(&eight.dib, dir.file("8.pcx").c_str(), PIXKIT_FORMAT_PCX, nullptr), 1);
  const std::vector<uint8_t> f8 = testsupport::read_file(dir.file("8.pcx"));
  ASSERT_GT(f8.size(), 128u + 769u);
  const size_t trailer = f8.size() - 769;
  EXPECT_EQ(f8[trailer], 0x0C);
  // Entry 1 of the pattern palette, red, green, blue.
  const PixkitPaletteEntry& e1 = eight.dib.LogPalette.palPalEntry[1];
  EXPECT_EQ(f8[trailer + 4], e1.peRed);
  EXPECT_EQ(f8[trailer + 5], e1.peGreen);
  EXPECT_EQ(f8[trailer + 6], e1.peBlue);

  Owned four(testsupport::make_pattern(3, 2, 4));
  ASSERT_EQ(SaveDib(&four.dib, dir.file("4.pcx").c_str(), PIXKIT_FORMAT_PCX, nullptr), 1);
  const std::vector<uint8_t> f4 = testsupport::read_file(dir.file("4.pcx"));
  const PixkitPaletteEntry& e15 = four.dib.LogPalette.palPalEntry[15];
  EXPECT_EQ(f4[16 + 45], e15.peRed);
  EXPECT_EQ(f4[16 + 46], e15.peGreen);
  EXPECT_EQ(f4[16 + 47], e15.peBlue);
}

TEST(PcxWriter, BytesWithTopBitsSetAreWrittenAsRunsOfOne) {
  testsupport::TempDir dir;
  // One row of two grey pixels 0xC5 and 0x10, stored as 24 bits: each plane
  // holds C5 10, so every plane reads C1 C5 10 (the value C5 alone would be
  // taken for a run).
  Owned dib(newdib(2, 1, 24, nullptr, 0));
  setpixel(&dib.dib, 0, 0, 0xC5C5C5);
  setpixel(&dib.dib, 1, 0, 0x101010);
  ASSERT_EQ(SaveDib(&dib.dib, dir.file("r.pcx").c_str(), PIXKIT_FORMAT_PCX, nullptr), 1);
  const std::vector<uint8_t> f = testsupport::read_file(dir.file("r.pcx"));
  const std::vector<uint8_t> body(f.begin() + 128, f.end());
  EXPECT_EQ(body, (std::vector<uint8_t>{0xC1, 0xC5, 0x10, 0xC1, 0xC5, 0x10, 0xC1, 0xC5, 0x10}));
}

}  // namespace
