// SPDX-License-Identifier: GPL-3.0-or-later
// The run refuses every job whose outputs would replace a listed source.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "batch_scratch_folder.h"
#include "run/batch.h"

using batch_test::ScratchFolder;
namespace fs = std::filesystem;

namespace {

void touch(const std::string& path) { std::ofstream(path) << "x"; }

}  // namespace

TEST(OverwriteGuard, NamesLeadingBackToTheSourceFolderAreRefused) {
  ScratchFolder folder;
  const std::string source = folder.file("a.bmp");
  touch(source);
  for (const char* name : {"", ".", "./", "a/..", "a\\..", "neu/../."}) {
    EXPECT_TRUE(WouldOverwriteSources({source}, name)) << '"' << name << '"';
  }
  EXPECT_FALSE(WouldOverwriteSources({source}, "Wasserzeichen"));
}

TEST(OverwriteGuard, ParentFolderIsRefusedWhenItHoldsAListedSource) {
  ScratchFolder folder;
  fs::create_directory(folder.path() / "unter");
  touch(folder.file("a.bmp"));
  touch(folder.file("unter/a.bmp"));
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a.bmp"), folder.file("unter/a.bmp")}, ".."));
  EXPECT_FALSE(WouldOverwriteSources({folder.file("unter/a.bmp")}, "../Neu"));
}

TEST(OverwriteGuard, PictureAndAFileInItsOutputFolderAreRefused) {
  ScratchFolder folder;
  fs::create_directory(folder.path() / "W");
  touch(folder.file("a.tga"));
  touch(folder.file("W/a.tga"));
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a.tga"), folder.file("W/a.tga")}, "W"));
  // Not yet existing files are compared by path too.
  EXPECT_TRUE(WouldOverwriteSources({folder.file("b.bmp"), folder.file("X/b.bmp")}, "X"));
}

TEST(OverwriteGuard, SymbolicLinksCannotSneakPast) {
  ScratchFolder folder;
  touch(folder.file("a.bmp"));
  fs::create_directory_symlink(".", folder.path() / "hier");
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a.bmp")}, "hier"));

  // The source listed through a link to its folder, output into the real folder.
  fs::create_directory(folder.path() / "echt");
  fs::create_directory(folder.path() / "echt/W");
  touch(folder.file("echt/W/b.bmp"));
  fs::create_directory_symlink(folder.path() / "echt", folder.path() / "verweis");
  EXPECT_TRUE(WouldOverwriteSources({folder.file("echt/b.bmp"), folder.file("verweis/W/b.bmp")}, "W"));

  // An output file that is a link to the source.
  fs::create_directory(folder.path() / "Z");
  fs::create_symlink(folder.path() / "a.bmp", folder.path() / "Z/a.bmp");
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a.bmp")}, "Z"));
}

TEST(OverwriteGuard, LinkReachedAfterAFolderStillToBeCreatedIsFollowed) {
  // "neu" does not exist yet: the run creates it, so "neu/.." is the source
  // folder again and "link" then leads into the other folder.
  ScratchFolder folder;
  fs::create_directory(folder.path() / "a");
  fs::create_directory(folder.path() / "b");
  touch(folder.file("a/x.bmp"));
  touch(folder.file("b/x.bmp"));
  fs::create_directory_symlink(folder.path() / "b", folder.path() / "a/link");
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a/x.bmp"), folder.file("b/x.bmp")}, "neu/../link"));
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a/x.bmp"), folder.file("b/x.bmp")}, "neu\\..\\link"));
  // Through a link, ".." is the parent of where the link leads.
  fs::create_directory(folder.path() / "b/unter");
  fs::create_directory_symlink(folder.path() / "b/unter", folder.path() / "a/tief");
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a/x.bmp"), folder.file("b/x.bmp")}, "tief/.."));
  EXPECT_FALSE(WouldOverwriteSources({folder.file("a/x.bmp")}, "neu/../neu2"));
}

TEST(OverwriteGuard, BareFileNameWithEmptyNameIsRefused) {
  ScratchFolder folder;
  touch(folder.file("a.bmp"));
  const fs::path before = fs::current_path();
  fs::current_path(folder.path());
  const bool refused = WouldOverwriteSources({"a.bmp"}, "");
  fs::current_path(before);
  EXPECT_TRUE(refused);
}

TEST(OverwriteGuard, HardLinkToASourceIsRefused) {
  ScratchFolder folder;
  touch(folder.file("a.bmp"));
  fs::create_directory(folder.path() / "W");
  fs::create_hard_link(folder.file("a.bmp"), folder.file("W/a.bmp"));
  // W/a.bmp is not listed by name, but it is the source's own file.
  EXPECT_TRUE(WouldOverwriteSources({folder.file("a.bmp")}, "W"));
}

TEST(OverwriteGuard, UnrecognisedSourcesAreNeverOutputs) {
  ScratchFolder folder;
  EXPECT_FALSE(WouldOverwriteSources({folder.file("a.png"), folder.file("b.webp")}, ""));
}

TEST(OverwriteGuard, NamesTheFirstSourceThatWouldBeReplaced) {
  ScratchFolder folder;
  touch(folder.file("a.tga"));
  touch(folder.file("b.bmp"));
  fs::create_directory(folder.path() / "W");
  touch(folder.file("W/b.bmp"));
  EXPECT_EQ(FirstOverwrittenSource({folder.file("a.tga"), folder.file("b.bmp"), folder.file("W/b.bmp")}, "W"),
            folder.file("W/b.bmp"));
  EXPECT_EQ(FirstOverwrittenSource({folder.file("a.tga")}, "W"), std::nullopt);
}
