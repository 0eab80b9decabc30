// SPDX-License-Identifier: GPL-3.0-or-later
// PNG (reading only): every colour type decodes to the pixels netpbm and
// ImageMagick report, at the bit count its content calls for; logos with
// transparency keep it; damaged files give no picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::pixels_of;
using testsupport::read_pnm;
using testsupport::Rgba;
using testsupport::run;
using testsupport::TempDir;

using Record = testsupport::OwnedDib;

Rgba reference(int width, int height, bool alpha) {
  Rgba ref{width, height, alpha ? 4 : 3, {}};
  for (int i = 0; i < width * height; ++i) {
    ref.pixels.insert(ref.pixels.end(),
                      {uint8_t(i * 5), uint8_t(i % width * 13), uint8_t(200 - i % height * 9)});
    if (alpha) ref.pixels.push_back(uint8_t(i % 3 == 0 ? 0 : i % 3 == 1 ? 128 : 255));
  }
  return ref;
}

struct PeerCase {
  const char* name;
  const char* command;  // %in (P6 or RGBA PAM) and %out replaced
  bool alpha;
  int expected_bits;
};

class PngPeerFile : public ::testing::TestWithParam<PeerCase> {};

std::string substitute(std::string s, const std::string& in, const std::string& out) {
  for (size_t p; (p = s.find("%in")) != std::string::npos;) s.replace(p, 3, in);
  for (size_t p; (p = s.find("%out")) != std::string::npos;) s.replace(p, 4, out);
  return "{ " + s + "; }";
}

TEST_P(PngPeerFile, DecodesToThePeersPixels) {
  const PeerCase c = GetParam();
  TempDir dir;
  const std::string in = dir.file(c.alpha ? "in.pam" : "in.ppm"), png = dir.file("peer.png");
  testsupport::write_pnm(in, reference(13, 7, c.alpha));
  ASSERT_TRUE(run(substitute(c.command, in, png)));
  // netpbm's own reading of the file is the reference; 16-bit samples are
  // brought to 8 bits with rounding as we do.
  const std::string back = dir.file("back.pam");
  ASSERT_TRUE(run("{ pngtopam " + std::string(c.alpha ? "-alphapam " : "") + png + " | pamdepth 255 > " +
                  back + "; }"));
  Record loaded{OpenDib(png.c_str(), 0, nullptr)};
  ASSERT_NE(loaded.dib.Bits, nullptr);
  EXPECT_EQ(loaded.bits(), c.expected_bits);
  EXPECT_EQ(pixels_of(loaded.dib), read_pnm(back));
}

INSTANTIATE_TEST_SUITE_P(
    PngColourTypes, PngPeerFile,
    ::testing::Values(
        PeerCase{"rgb", "pnmtopng -force %in > %out", false, 24},
        PeerCase{"rgb_interlaced", "pnmtopng -force -interlace %in > %out", false, 24},
        PeerCase{"grey", "ppmtopgm %in | pnmtopng -force > %out", false, 24},
        PeerCase{"grey_2_bits", "ppmtopgm %in | pamdepth 3 | pnmtopng -force > %out", false, 24},
        PeerCase{"rgb_16_bits", "pamdepth 65535 %in | pnmtopng -force > %out", false, 24},
        PeerCase{"palette", "pnmquant 12 %in | pnmtopng > %out", false, 4},
        PeerCase{"rgba", "convert %in png32:%out", true, 32},
        PeerCase{"grey_alpha", "convert %in -colorspace gray png:%out", true, 32},
        PeerCase{"rgba_16_bits_interlaced", "convert %in -depth 16 -interlace png png64:%out", true, 32}),
    [](const ::testing::TestParamInfo<PeerCase>& info) { return std::string(info.param.name); });

// Hand-worked: a 4 x 2 palette file whose tRNS makes entry 1 half and
// entry 2 fully transparent; the picture comes as straight-alpha BGRA.
TEST(PngTransparency, PaletteWithTrnsBecomesThirtyTwoBits) {
  const std::string path = std::string(STEMPORA_TEST_DATA) + "/png/good/palette_trns_4x2.png";
  Record loaded{OpenDib(path.c_str(), 0, nullptr)};
  ASSERT_EQ(loaded.bits(), 32);
  const Rgba want{4, 2, 4, {255, 0, 0,   255, 0, 255, 0, 128, 0,   0, 255, 0,   0,   255, 0, 128,
                            0,   0, 255, 0,   0, 255, 0, 128, 255, 0, 0,   255, 255, 0,   0, 255}};
  EXPECT_EQ(pixels_of(loaded.dib), want);
}

TEST(PngTransparency, GreyWithTrnsKeyBecomesThirtyTwoBits) {
  TempDir dir;
  const std::string pgm = dir.file("in.pgm"), png = dir.file("key.png");
  testsupport::write_file(pgm, {'P', '5', '\n', '3', ' ', '1', '\n', '2', '5', '5', '\n', 10, 20, 10});
  ASSERT_TRUE(run("{ pnmtopng -transparent '#141414' " + pgm + " > " + png + "; }"));
  Record loaded{OpenDib(png.c_str(), 0, nullptr)};
  ASSERT_EQ(loaded.bits(), 32);
  EXPECT_EQ(pixels_of(loaded.dib), (Rgba{3, 1, 4, {10, 10, 10, 255, 20, 20, 20, 0, 10, 10, 10, 255}}));
}

TEST(PngLimits, PictureOverTheSideLimitIsRefused) {
  TempDir dir;
  const std::string ppm = dir.file("wide.ppm"), png = dir.file("wide.png");
  testsupport::write_pnm(ppm, Rgba{300, 1, 3, std::vector<uint8_t>(900, 7)});
  ASSERT_TRUE(run("{ pnmtopng " + ppm + " > " + png + "; }"));
  PixkitSetLimits(256, 1'000'000);
  Record refused{OpenDib(png.c_str(), 0, nullptr)};
  PixkitSetLimits(0, 0);
  EXPECT_EQ(refused.dib.Bits, nullptr);
  Record accepted{OpenDib(png.c_str(), 0, nullptr)};
  EXPECT_NE(accepted.dib.Bits, nullptr);
}

}  // namespace
