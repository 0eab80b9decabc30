// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/watermark_picture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "image/dib_access.h"
#include "settings/settings_file.h"

namespace {

// A 2 x 1 32-bit TGA of half-transparent red and opaque blue, written by the library.
std::string write_logo() {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("stempora_logo_" + std::to_string(::getpid()) + ".tga"))
          .string();
  TDibImage d = newdib(2, 1, 32, nullptr, 0);
  setpixel(&d, 0, 0, 0x800000FF);
  setpixel(&d, 1, 0, 0xFFFF0000);
  SaveDib(&d, path.c_str(), PIXKIT_FORMAT_TGA, nullptr);
  deldib(&d);
  return path;
}

}  // namespace

TEST(WatermarkPictureLoad, KeptAlphaLeavesAThirtyTwoBitRecord) {
  const std::string path = write_logo();
  TDibImage kept = LoadWatermarkPicture(path, nullptr, true);
  TDibImage flat = LoadWatermarkPicture(path, nullptr);
  std::filesystem::remove(path);
  ASSERT_EQ(DibBitCount(kept), 32);
  EXPECT_EQ(getpixel(&kept, 0, 0), 0x800000FFu);
  EXPECT_EQ(getpixel(&kept, 1, 0), 0xFFFF0000u);
  // Composed over white: red 255, green and blue (255 x 127 + 127) div 255 = 127.
  ASSERT_EQ(DibBitCount(flat), 24);
  EXPECT_EQ(getpixel(&flat, 0, 0), 0x7F7FFFu);
  deldib(&kept);
  deldib(&flat);
}

TEST(WatermarkPictureLoad, AJobWithAPictureKeptWithAlphaOpensAgainWithItsAlpha) {
  const std::string logo = write_logo();
  SettingsFileContent content;
  content.watermark = LoadWatermarkPicture(logo, nullptr, true);
  content.options.picture.keep_alpha = true;
  const std::string job = logo + ".stx";
  ASSERT_TRUE(WriteSettingsFile(job, content).ok);
  SettingsReadResult read = ReadSettingsFile(job);
  std::filesystem::remove(logo);
  std::filesystem::remove(job);
  ASSERT_TRUE(read.ok()) << read.message;
  // The rows hold it composed over white, which a reader of the plain
  // layout takes; the option block gives back the picture as loaded.
  ASSERT_EQ(DibBitCount(read.content.watermark), 32);
  EXPECT_EQ(getpixel(&read.content.watermark, 0, 0), 0x800000FFu);
  EXPECT_EQ(getpixel(&read.content.watermark, 1, 0), 0xFFFF0000u);
  EXPECT_TRUE(read.content.options.picture.keep_alpha);
  // Without the option the same file gives the composed picture.
  content.options.picture.keep_alpha = false;
  content.options.picture.angle = 10;  // some option on, so the block is written
  ASSERT_TRUE(WriteSettingsFile(job, content).ok);
  SettingsReadResult plain = ReadSettingsFile(job);
  std::filesystem::remove(job);
  ASSERT_TRUE(plain.ok()) << plain.message;
  ASSERT_EQ(DibBitCount(plain.content.watermark), 24);
  EXPECT_EQ(getpixel(&plain.content.watermark, 0, 0), 0x7F7FFFu);
  deldib(&plain.content.watermark);
  deldib(&content.watermark);
  deldib(&read.content.watermark);
}
