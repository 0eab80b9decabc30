// SPDX-License-Identifier: GPL-3.0-or-later
// TGA files written by SaveDib come back through OpenDib with the same
// pixels and depth, and their headers say what was written.
#include <gtest/gtest.h>

#include <cstring>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::pixels_of;

using Owned = testsupport::OwnedDib;

class TgaRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(TgaRoundTrip, OddWidthPicturesComeBackWithDepthAndPixels) {
  const int bits = GetParam();
  testsupport::TempDir dir;
  for (const auto& [w, h] : {std::pair{1, 2}, std::pair{7, 3}, std::pair{17, 5}, std::pair{130, 2}}) {
    Owned original(testsupport::make_pattern(w, h, bits));
    ASSERT_NE(original.dib.Bits, nullptr);
    const std::string path = dir.file("p.tga");
    ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_TGA, nullptr), 1) << bits;
    Owned loaded(OpenDib(path.c_str(), 0, nullptr));
    ASSERT_NE(loaded.dib.Bits, nullptr) << bits << " " << w << "x" << h;
    EXPECT_EQ(loaded.bits(), bits) << w << "x" << h;
    EXPECT_EQ(pixels_of(loaded.dib), pixels_of(original.dib)) << bits << " " << w << "x" << h;
  }
}

INSTANTIATE_TEST_SUITE_P(TgaBitCounts, TgaRoundTrip, ::testing::Values(1, 4, 8, 16, 24, 32));

TEST(TgaWriter, HeaderNamesTypeDepthMapAndBottomLeftOrigin) {
  testsupport::TempDir dir;
  struct Case {
    int bits, map_type, image_type, map_length, map_bits, depth, descriptor;
  };
  for (const Case c :
       {Case{1, 1, 1, 2, 24, 8, 0}, Case{4, 1, 1, 16, 24, 8, 0}, Case{8, 1, 1, 256, 24, 8, 0},
        Case{16, 0, 2, 0, 0, 16, 0}, Case{24, 0, 2, 0, 0, 24, 0}, Case{32, 0, 2, 0, 0, 32, 8}}) {
    Owned original(testsupport::make_pattern(5, 3, c.bits));
    const std::string path = dir.file("h.tga");
    ASSERT_EQ(SaveDib(&original.dib, path.c_str(), PIXKIT_FORMAT_TGA, nullptr), 1);
    const std::vector<uint8_t> f = testsupport::read_file(path);
    ASSERT_GE(f.size(), 18u + 26u);
    EXPECT_EQ(f[1], c.map_type) << c.bits;
    EXPECT_EQ(f[2], c.image_type) << c.bits;
    EXPECT_EQ(f[5] | (f[6] << 8), c.map_length) << c.bits;
    EXPECT_EQ(f[7], c.map_bits) << c.bits;
    EXPECT_EQ(f[12] | (f[13] << 8), 5);
    EXPECT_EQ(f[14] | (f[15] << 8), 3);
    EXPECT_EQ(f[16], c.depth) << c.bits;
    EXPECT_EQ(f[17], c.descriptor) << c.bits;
    // Uncompressed: header, map, pixels and the 26-byte footer, nothing else.
    const size_t pixel_bytes = c.bits <= 8 ? 1 : size_t(c.bits / 8);
    EXPECT_EQ(f.size(), 18 + size_t(c.map_length) * 3 + 15 * pixel_bytes + 26) << c.bits;
    EXPECT_EQ(std::memcmp(f.data() + f.size() - 18, "TRUEVISION-XFILE.", 18), 0);
  }
}

TEST(TgaWriter, FirstStoredRowIsTheBottomRow) {
  testsupport::TempDir dir;
  Owned dib(newdib(2, 2, 24, nullptr, 0));
  setpixel(&dib.dib, 0, 0, 0x0000FF);  // top left red
  setpixel(&dib.dib, 0, 1, 0xFF0000);  // bottom left blue
  ASSERT_EQ(SaveDib(&dib.dib, dir.file("o.tga").c_str(), PIXKIT_FORMAT_TGA, nullptr), 1);
  const std::vector<uint8_t> f = testsupport::read_file(dir.file("o.tga"));
  // Pixels are stored blue, green, red.
  EXPECT_EQ((std::vector<uint8_t>(f.begin() + 18, f.begin() + 18 + 12)),
            (std::vector<uint8_t>{0xFF, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0}));
}

}  // namespace
