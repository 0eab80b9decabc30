// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "run/output_path.h"

TEST(OutputPath, ExtensionRowsFollowTheTableIgnoringCase) {
  EXPECT_EQ(SourceExtensionRow("/f/a.bmp"), 1);
  EXPECT_EQ(SourceExtensionRow("/f/a.DIB"), 2);
  EXPECT_EQ(SourceExtensionRow("/f/Urlaub.JPG"), 6);
  EXPECT_EQ(SourceExtensionRow("/f/a.Tif"), 11);
  EXPECT_EQ(SourceExtensionRow("/f/a.b.jp2"), 12);
  EXPECT_EQ(SourceExtensionRow(".tga"), 10);
}

TEST(OutputPath, JpegAndTiffSpellingsTakeTheRowsOfJpgAndTif) {
  EXPECT_EQ(SourceExtensionRow("/f/a.jpeg"), 6);
  EXPECT_EQ(SourceExtensionRow("/f/a.JPEG"), 6);
  EXPECT_EQ(SourceExtensionRow("/f/a.Tiff"), 11);
  EXPECT_EQ(OutputPath("/f/a.jpeg", "W"), "/f/W/a.jpeg");
}

TEST(OutputPath, UnknownOrMissingExtensionsAreRowZero) {
  for (const char* path :
       {"/f/a.png", "/f/a.j2k", "/f/ohnepunkt", "/f/a.", "/f.bmp/ohne", "", "/f/a.bmp.bak", "/f/a.jpg "}) {
    EXPECT_EQ(SourceExtensionRow(path), 0) << path;
  }
}

TEST(OutputPath, OutputGoesIntoTheSubfolderBesideTheSource) {
  EXPECT_EQ(OutputFolder("/fotos/Urlaub.JPG", "Wasserzeichen"), "/fotos/Wasserzeichen/");
  EXPECT_EQ(OutputPath("/fotos/Urlaub.JPG", "Wasserzeichen"), "/fotos/Wasserzeichen/Urlaub.JPG");
}

TEST(OutputPath, BackslashesSeparateLevelsWithoutDoubling) {
  EXPECT_EQ(OutputFolder("/fotos/a.bmp", "Neu\\Klein\\"), "/fotos/Neu/Klein/");
  EXPECT_EQ(OutputFolder("/fotos/a.bmp", "Neu/Klein/"), "/fotos/Neu/Klein/");
  EXPECT_EQ(OutputPath("/fotos/a.bmp", "Neu\\Klein"), "/fotos/Neu/Klein/a.bmp");
  // A leading separator does not make the name absolute, and none doubles.
  EXPECT_EQ(OutputFolder("/fotos/a.bmp", "/W/"), "/fotos/W/");
  EXPECT_EQ(OutputFolder("/fotos/a.bmp", "\\Neu//Klein"), "/fotos/Neu/Klein/");
  EXPECT_EQ(OutputFolder("/fotos/a.bmp", "/"), "/fotos/");
}

TEST(OutputPath, EmptyNameMeansTheSourceFolderAndBareNamesTheCurrentOne) {
  EXPECT_EQ(OutputPath("/fotos/a.bmp", ""), "/fotos/a.bmp");
  EXPECT_EQ(OutputPath("a.bmp", "W"), "./W/a.bmp");
  // Not the root folder: the bare name's folder is the current one.
  EXPECT_EQ(OutputPath("a.bmp", ""), "./a.bmp");
  EXPECT_EQ(OutputPath("a.bmp", "/W"), "./W/a.bmp");
  EXPECT_EQ(SourceFolder("a.bmp"), "");
  EXPECT_EQ(FileNamePart("/x/y/z.tga"), "z.tga");
}

TEST(OutputPath, RelativeSourcesAreOpenedFromTheSettingsFilesFolder) {
  EXPECT_EQ(OpenedSourcePath("bilder/a.bmp", "/auftrag"), "/auftrag/bilder/a.bmp");
  EXPECT_EQ(OpenedSourcePath("a.bmp", "/"), "/a.bmp");
  EXPECT_EQ(OpenedSourcePath("/fotos/a.bmp", "/auftrag"), "/fotos/a.bmp");
  EXPECT_EQ(OpenedSourcePath("a.bmp", ""), "a.bmp");  // no settings file: the current folder
}
