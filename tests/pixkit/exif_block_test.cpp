// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF block walker on tiny hand-made TIFF structures.
#include "codecs/metadata/exif_block.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using pixkit::make_exif_upright;
using pixkit::read_exif_layout;

// Big-endian block: IFD0 at 8 with Orientation 8 and no IFD1.
const Bytes kBigEndianOrientation8 = {'M',  'M',  0, 42, 0, 0, 0, 8,              // header
                                      0,    1,                                    // one entry
                                      0x01, 0x12, 0, 3,  0, 0, 0, 1, 0, 8, 0, 0,  // Orientation SHORT 8
                                      0,    0,    0, 0};                          // no IFD1

TEST(ExifBlock, ReadsBigEndianOrientation) {
  auto layout = read_exif_layout(kBigEndianOrientation8);
  ASSERT_TRUE(layout.ok()) << layout.error();
  EXPECT_TRUE(layout->big_endian);
  EXPECT_EQ(layout->orientation, 8);
  EXPECT_EQ(layout->orientation_at, 18u);
  EXPECT_EQ(layout->ifd1_at, 0u);
}

TEST(ExifBlock, UprightRewriteSetsOrientationOneInTheBlocksByteOrder) {
  Bytes block = kBigEndianOrientation8;
  auto layout = read_exif_layout(block);
  ASSERT_TRUE(layout.ok());
  ASSERT_TRUE(make_exif_upright(block, layout.value(), 10, 20).ok());
  Bytes expected = kBigEndianOrientation8;
  expected[19] = 1;
  EXPECT_EQ(block, expected);
}

TEST(ExifBlock, OrientationOutOfRangeCountsAsOne) {
  Bytes block = kBigEndianOrientation8;
  block[19] = 9;
  auto layout = read_exif_layout(block);
  ASSERT_TRUE(layout.ok());
  EXPECT_EQ(layout->orientation, 1);
}

TEST(ExifBlock, StructuralDamageIsReported) {
  const std::vector<std::pair<const char*, Bytes>> damaged = {
      {"too short", {'I', 'I', 42, 0}},
      {"no byte-order mark", {'X', 'X', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"not 42", {'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"IFD0 past the end", {'I', 'I', 42, 0, 200, 0, 0, 0, 0, 0}},
      {"IFD0 inside the header", {'I', 'I', 42, 0, 2, 0, 0, 0, 1, 0}},
      {"entries run past the end", {'I', 'I', 42, 0, 8, 0, 0, 0, 5, 0, 1, 2, 3}},
      {"Exif IFD past the end",
       {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x69, 0x87, 4, 0, 1, 0, 0, 0, 0xF0, 0xFF, 0, 0, 0, 0, 0, 0}},
      {"Exif IFD over IFD0's link",
       {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x69, 0x87, 4, 0, 1, 0, 0, 0, 22, 0, 0,
        0,   1,   0,  0, 0, 0, 0, 0, 0, 0, 0,    0,    0, 0, 0, 0, 0, 0, 0,  0, 0}},
  };
  for (const auto& [what, block] : damaged) EXPECT_FALSE(read_exif_layout(block).ok()) << what;
}

// Little-endian: IFD0 at 8 (one entry, Orientation 3) linking to IFD1 at
// 26, whose thumbnail (4 bytes at 56) is followed by 2 bytes of other data.
Bytes block_with_inner_thumbnail() {
  return {'I',  'I',  42,   0,    8,    0,   0, 0,                     //
          1,    0,    0x12, 0x01, 3,    0,   1, 0, 0, 0, 3,  0, 0, 0,  // IFD0: Orientation 3
          26,   0,    0,    0,                                         // link to IFD1
          2,    0,    0x01, 0x02, 4,    0,   1, 0, 0, 0, 56, 0, 0, 0,  // IFD1: thumbnail at 56
          0x02, 0x02, 4,    0,    1,    0,   0, 0, 4, 0, 0,  0,        //       4 bytes long
          0,    0,    0,    0,                                         // no IFD2
          0xD8, 0xD8, 0xD8, 0xD8, 0x77, 0x77};
}

TEST(ExifBlock, ThumbnailInsideTheBlockIsZeroedNotCut) {
  Bytes block = block_with_inner_thumbnail();
  auto layout = read_exif_layout(block);
  ASSERT_TRUE(layout.ok()) << layout.error();
  EXPECT_EQ(layout->orientation, 3);
  EXPECT_EQ(layout->ifd1_at, 26u);
  EXPECT_EQ(layout->thumbnail_at, 56u);
  ASSERT_TRUE(make_exif_upright(block, layout.value(), 1, 1).ok());
  Bytes expected = block_with_inner_thumbnail();
  expected[18] = 1;                                            // upright
  expected[22] = 0;                                            // IFD1 unlinked
  std::fill(expected.begin() + 26, expected.begin() + 60, 0);  // IFD1 and thumbnail
  EXPECT_EQ(block, expected);
}

TEST(ExifBlock, Ifd1PastTheEndIsOnlyUnlinked) {
  Bytes block = block_with_inner_thumbnail();
  block[22] = 250;  // IFD1 far away
  auto layout = read_exif_layout(block);
  ASSERT_TRUE(layout.ok()) << layout.error();
  EXPECT_EQ(layout->ifd1_at, 0u);
  ASSERT_TRUE(make_exif_upright(block, layout.value(), 1, 1).ok());
  EXPECT_EQ(block[22], 0);
  EXPECT_EQ(block[26], 2) << "bytes that are no longer IFD1 stay";
}

TEST(ExifBlock, ThumbnailOverlappingIfd0IsNotZeroed) {
  Bytes block = block_with_inner_thumbnail();
  block[36] = 8;  // thumbnail offset onto IFD0
  auto layout = read_exif_layout(block);
  ASSERT_TRUE(layout.ok());
  EXPECT_EQ(layout->thumbnail_at, 0u);
}

}  // namespace

// Found by fuzzing: a block whose fields share bytes with its directories,
// so that writing them breaks the walk. The rewrite must say so rather than
// hand on a block no reader can follow.
TEST(ExifBlock, RewriteThatBreaksTheDirectoriesFails) {
  std::ifstream in(std::string(STEMPORA_TEST_DATA) + "/jpeg/exif/exif_rewrite_breaks_its_own_directories.bin",
                   std::ios::binary);
  Bytes block((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(block.empty());
  auto layout = read_exif_layout(block);
  ASSERT_TRUE(layout.ok()) << layout.error();
  EXPECT_FALSE(make_exif_upright(block, layout.value(), 640, 480).ok());
}
