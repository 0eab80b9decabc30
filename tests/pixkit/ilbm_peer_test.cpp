// SPDX-License-Identifier: GPL-3.0-or-later
// ILBM cross-checks with netpbm (ImageMagick has no ILBM coder): files
// ppmtoilbm writes decode here to the pixels ilbmtoppm gives, and files
// written here decode with ilbmtoppm to the record's pixels.
#include <gtest/gtest.h>

#include <string>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using testsupport::pixels_of;
using testsupport::Rgba;
using testsupport::test_picture;

using Owned = testsupport::OwnedDib;

// Runs a command whose standard output is the file; the group keeps the
// redirection apart from the one run() adds for the log.
bool run_to_file(const std::string& command, const std::string& path) {
  return testsupport::run("( " + command + " > " + path + " )");
}

class IlbmPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::have_program("ppmtoilbm") || !testsupport::have_program("ilbmtoppm"))
      GTEST_SKIP() << "netpbm not installed";
  }

  // Converts picture with `ppmtoilbm options`, then checks that the file
  // loads at expected_bits with the pixels ilbmtoppm reads from it.
  void expect_same_as_ilbmtoppm(const Rgba& picture, const std::string& options, int expected_bits) {
    const std::string ppm = dir.file("in.ppm"), iff = dir.file("peer.iff"), ref = dir.file("ref.ppm");
    testsupport::write_pnm(ppm, picture);
    ASSERT_TRUE(run_to_file("ppmtoilbm -quiet " + options + " " + ppm, iff)) << options;
    ASSERT_TRUE(run_to_file("ilbmtoppm -quiet " + iff, ref)) << options;
    Owned loaded(OpenDib(iff.c_str(), 0, nullptr));
    ASSERT_NE(loaded.dib.Bits, nullptr) << options;
    EXPECT_EQ(loaded.bits(), expected_bits) << options;
    EXPECT_EQ(pixels_of(loaded.dib), testsupport::read_pnm(ref)) << options;
  }

  // Saves the record as ILBM and checks ilbmtoppm's pixels against it.
  void expect_ilbmtoppm_reads(const TDibImage& dib, const std::string& what) {
    const std::string iff = dir.file("ours.iff"), ref = dir.file("theirs.ppm");
    ASSERT_EQ(SaveDib(&dib, iff.c_str(), PIXKIT_FORMAT_IFF, nullptr), 1) << what;
    ASSERT_TRUE(run_to_file("ilbmtoppm -quiet " + iff, ref)) << what;
    EXPECT_EQ(testsupport::read_pnm(ref), pixels_of(dib)) << what;
  }

  testsupport::TempDir dir;
};

TEST_F(IlbmPeer, PalettePicturesFromPpmtoilbm) {
  const Rgba two = test_picture(21, 7, 2);
  expect_same_as_ilbmtoppm(two, "", 1);
  expect_same_as_ilbmtoppm(two, "-nocompress", 1);
  const Rgba five = test_picture(37, 9, 5);
  expect_same_as_ilbmtoppm(five, "-compress", 4);
  expect_same_as_ilbmtoppm(five, "-nocompress", 4);
  expect_same_as_ilbmtoppm(test_picture(50, 11, 200), "-aga", 8);
}

TEST_F(IlbmPeer, DeepPicturesFromPpmtoilbm) {
  const Rgba many = test_picture(45, 13, 0);
  expect_same_as_ilbmtoppm(many, "-24if", 24);
  expect_same_as_ilbmtoppm(many, "-24force -nocompress", 24);
}

TEST_F(IlbmPeer, HamPicturesFromPpmtoilbm) {
  const Rgba many = test_picture(45, 13, 0);
  expect_same_as_ilbmtoppm(many, "-ham6", 24);
  expect_same_as_ilbmtoppm(many, "-ham8", 24);
  expect_same_as_ilbmtoppm(many, "-ham6 -nocompress", 24);
  expect_same_as_ilbmtoppm(many, "-hamforce -hamplanes 6", 24);
}

TEST_F(IlbmPeer, OurFilesDecodeInIlbmtoppm) {
  for (int bits : {1, 4, 8, 24})
    for (int width : {1, 13, 32}) {
      Owned dib(testsupport::make_pattern(width, 7, bits));
      ASSERT_NE(dib.dib.Bits, nullptr);
      expect_ilbmtoppm_reads(dib.dib, std::to_string(bits) + " bits, width " + std::to_string(width));
    }
}

}  // namespace
