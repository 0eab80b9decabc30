// SPDX-License-Identifier: GPL-3.0-or-later
// The profile reader and writer: the platform's profile semantics, and a
// file whose other content survives a write.
#include "settings/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/temp_folder.h"

namespace {
std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

TEST(ProfileFile, NamesCompareWithoutCaseAndTheFirstMatchWins) {
  const ProfileFile profile =
      ProfileFile::FromText("[tmainform]\nKEY=first\nkey=second\n[TMainForm]\nkey=other section\n");
  EXPECT_EQ(profile.Read("TMainForm", "Key"), "first");
  EXPECT_EQ(profile.Read("TMAINFORM", "missing"), std::nullopt);
  EXPECT_EQ(profile.Read("Other", "key"), std::nullopt);
}

TEST(ProfileFile, BlanksAroundNamesAndValuesAndQuotesAreDropped) {
  const ProfileFile profile =
      ProfileFile::FromText("  [ S ]  \n  a  =  x y  \nb=\"quoted \"\nc='one\nd=\n;e=comment\n");
  EXPECT_EQ(profile.Read("S", "a"), "x y");
  EXPECT_EQ(profile.Read("S", "b"), "quoted ");
  EXPECT_EQ(profile.Read("S", "c"), "'one");
  EXPECT_EQ(profile.Read("S", "d"), "");
  EXPECT_EQ(profile.Read("S", ";e"), std::nullopt);
}

TEST(ProfileFile, WritingKeepsCommentsUnknownKeysAndOtherSections) {
  ProfileFile profile = ProfileFile::FromText(
      "; made by hand\n[Other]\nx=1\n\n[TMainForm]\nunknown=7\nkey=old\n\n[Last]\ny=2\n");
  profile.Write("tmainform", "KEY", "new");
  profile.Write("TMainForm", "added", "3");
  profile.Write("Fresh", "z", "4");
  EXPECT_EQ(profile.Text(),
            "; made by hand\n[Other]\nx=1\n\n[TMainForm]\nunknown=7\nKEY=new\nadded=3\n\n[Last]\ny=2\n"
            "\n[Fresh]\nz=4\n");
}

TEST(ProfileFile, CrLfFilesReadTheSameAndKeepTheirLineEnds) {
  ProfileFile profile = ProfileFile::FromText("[S]\r\na=1\r\nb = two \r\n");
  EXPECT_EQ(profile.Read("S", "a"), "1");
  EXPECT_EQ(profile.Read("S", "b"), "two");
  profile.Write("S", "c", "3");
  EXPECT_EQ(profile.Text(), "[S]\r\na=1\r\nb = two \r\nc=3\r\n");
}

TEST(ProfileFile, ErasingASectionRemovesItsLinesOnly) {
  ProfileFile profile = ProfileFile::FromText("[A]\na=1\n\n[A.Lines]\nCount=1\nItem0=x\n\n[B]\nb=2\n");
  profile.EraseSection("a.lines");
  EXPECT_EQ(profile.Text(), "[A]\na=1\n\n[B]\nb=2\n");
  EXPECT_EQ(profile.KeyCount("A.Lines"), 0u);
}

TEST(ProfileFile, SavingMakesTheFoldersAndReplacesTheWholeFile) {
  testsupport::TempDir folder("profile-test");
  const std::string path = folder.file("config/stempora/x.INI");
  ProfileFile profile;
  profile.Write("S", "a", "1");
  ASSERT_TRUE(SaveProfileFile(path, profile));
  EXPECT_EQ(read_file(path), "[S]\na=1\n");
  const auto loaded = LoadProfileFile(path);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Read("s", "A"), "1");
  EXPECT_EQ(LoadProfileFile(folder.file("missing.INI"))->Text(), "");
}

TEST(ProfileFile, AFileWhosePermissionsForbidWritingIsLeftAlone) {
  testsupport::TempDir folder("profile-test");
  const std::string path = folder.file("x.INI");
  std::ofstream(path) << "[S]\na=old\n";
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ProfileFile profile;
  profile.Write("S", "a", "new");
  EXPECT_FALSE(SaveProfileFile(path, profile));
  EXPECT_EQ(read_file(path), "[S]\na=old\n");
}
