// SPDX-License-Identifier: GPL-3.0-or-later
// The structs that may grow, as a program built against an older pixkit.h
// hands them in: shorter, with whatever lies behind their size unread and
// unwritten; and a struct whose size was never set is refused.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/rgba_pixels.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;

TEST(SizedStructs, OlderSaveSettingsTakeTheDefaultsBehindTheirSize) {
  TempDir dir;
  OwnedDib dib(make_pattern(40, 24, 24));
  PixkitSaveSettings current = PixkitSaveSettingsInit();
  current.format = PIXKIT_FORMAT_JPG;
  current.quality = 40;
  current.jpeg_chroma = PIXKIT_CHROMA_444;
  ASSERT_EQ(SaveDibAs(&dib.dib, dir.file("current.jpg").c_str(), &current, nullptr, nullptr), 1);

  // Ends after jpeg_chroma; what lies behind would change the file if read.
  PixkitSaveSettings older = current;
  older.struct_size = offsetof(PixkitSaveSettings, jpeg_progressive);
  older.jpeg_progressive = 1;
  older.jpeg_optimize_huffman = 1;
  int reason = -1;
  ASSERT_EQ(SaveDibAs(&dib.dib, dir.file("older.jpg").c_str(), &older, nullptr, &reason), 1);
  EXPECT_EQ(reason, PIXKIT_REASON_NONE);
  EXPECT_EQ(read_file(dir.file("older.jpg")), read_file(dir.file("current.jpg")));
}

TEST(SizedStructs, OlderLoadSettingsAreFilledOnlyInsideTheirSize) {
  TempDir dir;
  OwnedDib dib(make_pattern(40, 24, 24));
  ASSERT_EQ(SaveDib(&dib.dib, dir.file("p.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  PixkitLoadSettings older = PixkitLoadSettingsInit();
  older.struct_size = offsetof(PixkitLoadSettings, source_format);
  older.source_format = -7;
  older.source_jpeg_quality = -7;
  OwnedDib back(OpenDibAs(dir.file("p.jpg").c_str(), &older, nullptr, nullptr));
  ASSERT_NE(back.dib.Bits, nullptr);
  EXPECT_EQ(older.source_width, 40);
  EXPECT_EQ(older.source_height, 24);
  EXPECT_EQ(older.source_format, -7);
  EXPECT_EQ(older.source_jpeg_quality, -7);
  EXPECT_EQ(older.struct_size, offsetof(PixkitLoadSettings, source_format));
}

TEST(SizedStructs, ASizeNeverSetIsRefused) {
  TempDir dir;
  OwnedDib dib(make_pattern(8, 8, 24));
  PixkitSaveSettings zeroed{};
  zeroed.format = PIXKIT_FORMAT_BMP;
  int reason = -1;
  EXPECT_EQ(SaveDibAs(&dib.dib, dir.file("z.bmp").c_str(), &zeroed, nullptr, &reason), 0);
  EXPECT_EQ(reason, PIXKIT_REASON_STRUCT_SIZE);
  EXPECT_FALSE(std::filesystem::exists(dir.file("z.bmp")));

  const PixkitCallOptions no_size{};
  EXPECT_EQ(SaveDibWith(&dib.dib, dir.file("z.bmp").c_str(), PIXKIT_FORMAT_BMP, &no_size, &reason), 0);
  EXPECT_EQ(reason, PIXKIT_REASON_STRUCT_SIZE);
  ASSERT_EQ(SaveDib(&dib.dib, dir.file("p.bmp").c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
  OwnedDib none(OpenDibWith(dir.file("p.bmp").c_str(), &no_size, &reason));
  EXPECT_EQ(none.dib.Bits, nullptr);
  EXPECT_EQ(reason, PIXKIT_REASON_STRUCT_SIZE);

  // Below the smallest size, a struct the library fills stays as it was.
  PixkitCaptureInfo info{};
  info.struct_size = PIXKIT_STRUCT_SIZE_MIN - 1;
  info.year = 1234;
  EXPECT_EQ(PixkitReadCaptureInfo(dir.file("p.bmp").c_str(), &info), 0);
  EXPECT_EQ(info.year, 1234);
  EXPECT_EQ(info.has_modified_time, 0);
}

}  // namespace
