// SPDX-License-Identifier: GPL-3.0-or-later
// PCX cross-checks with independent implementations: files netpbm and
// ImageMagick write decode to the same pixels here, and files written here
// decode to the same pixels there.
#include <gtest/gtest.h>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::pixels_of;
using testsupport::Rgba;
using testsupport::test_picture;

const char kConvert[] = "/usr/bin/convert";

using Owned = testsupport::OwnedDib;

class PcxPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::have_program("ppmtopcx") || !testsupport::have_program("pcxtoppm"))
      GTEST_SKIP() << "netpbm not installed";
  }
  // Writes `picture` as PPM, converts it with `command` (the PPM path and
  // the PCX path are appended), and loads the PCX with OpenDib.
  void expect_peer_file_decodes(const Rgba& picture, const std::string& command, int expected_bits) {
    const std::string ppm = dir.file("in.ppm"), pcx = dir.file("peer.pcx");
    testsupport::write_pnm(ppm, picture);
    ASSERT_TRUE(testsupport::run(command + " " + ppm + " " + pcx)) << command;
    Owned loaded(OpenDib(pcx.c_str(), 0, nullptr));
    ASSERT_NE(loaded.dib.Bits, nullptr) << command;
    EXPECT_EQ(loaded.bits(), expected_bits) << command;
    EXPECT_EQ(pixels_of(loaded.dib), picture) << command;
  }
  testsupport::TempDir dir;
};

TEST_F(PcxPeer, NetpbmFilesDecodeToTheirPixels) {
  expect_peer_file_decodes(test_picture(13, 5, 2), "sh -c 'ppmtopcx \"$0\" > \"$1\"'", 1);
  expect_peer_file_decodes(test_picture(13, 5, 4), "sh -c 'ppmtopcx \"$0\" > \"$1\"'", 4);
  expect_peer_file_decodes(test_picture(13, 5, 16), "sh -c 'ppmtopcx \"$0\" > \"$1\"'", 4);
  expect_peer_file_decodes(test_picture(13, 5, 40), "sh -c 'ppmtopcx -8bit \"$0\" > \"$1\"'", 8);
  expect_peer_file_decodes(test_picture(13, 5, 0), "sh -c 'ppmtopcx -24bit \"$0\" > \"$1\"'", 24);
}

TEST_F(PcxPeer, ImageMagickFilesDecodeToTheirPixels) {
  if (!testsupport::have_program(kConvert)) GTEST_SKIP() << "ImageMagick not installed";
  const std::string convert = kConvert;
  expect_peer_file_decodes(test_picture(11, 4, 0), "sh -c '" + convert + " \"$0\" pcx:\"$1\"'", 24);
  expect_peer_file_decodes(test_picture(11, 4, 40), "sh -c '" + convert + " \"$0\" -type palette pcx:\"$1\"'",
                           8);
}

TEST_F(PcxPeer, OurFilesDecodeToTheSamePixelsInNetpbmAndImageMagick) {
  const bool have_convert = testsupport::have_program(kConvert);
  for (int bits : {1, 4, 8, 24, 32}) {
    Owned original(testsupport::make_pattern(11, 5, bits));
    const std::string pcx = dir.file("ours.pcx"), ppm = dir.file("out.ppm");
    ASSERT_EQ(SaveDib(&original.dib, pcx.c_str(), PIXKIT_FORMAT_PCX, nullptr), 1);
    Rgba want = pixels_of(original.dib);
    if (want.channels == 4) {
      Rgba rgb{want.width, want.height, 3, {}};
      for (size_t i = 0; i < want.pixels.size(); i += 4)
        rgb.pixels.insert(rgb.pixels.end(), &want.pixels[i], &want.pixels[i + 3]);
      want = rgb;
    }
    ASSERT_TRUE(testsupport::run("(pcxtoppm " + pcx + " > " + ppm + ")")) << bits;
    EXPECT_EQ(testsupport::read_pnm(ppm), want) << "pcxtoppm, " << bits << " bits";
    // ImageMagick 6 reads 1-bit PCX as black and white whatever the header
    // palette says (netpbm's files too), so it only checks the other depths.
    if (have_convert && bits != 1) {
      ASSERT_TRUE(testsupport::run(std::string(kConvert) + " pcx:" + pcx + " -depth 8 ppm:" + ppm)) << bits;
      EXPECT_EQ(testsupport::read_pnm(ppm), want) << "ImageMagick, " << bits << " bits";
    }
  }
}

}  // namespace
