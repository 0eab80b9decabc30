// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/safe_save.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "core/temporary_names.h"
#include "pixkit/pixkit.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

using namespace pixkit;
using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

Status write_text(OutputFile& out, const std::string& text) {
  out.write(text.data(), text.size());
  return {};
}

std::string contents(const std::string& path) {
  auto bytes = testsupport::read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

size_t entries_in(const fs::path& folder) {
  return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(SafeSave, FailedWriteLeavesTheOlderFileAndNoTemporary) {
  TempDir dir;
  const std::string target = dir.file("a.bmp");
  testsupport::write_file(target, {'o', 'l', 'd'});
  Status s = save_atomically(target, [](OutputFile& out) {
    out.write("partial", 7);
    return Status(fail("encoder gave up"));
  });
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(contents(target), "old");
  EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(SafeSave, ReplacesTheTargetKeepingItsPermissionBits) {
  TempDir dir;
  const std::string target = dir.file("a.bmp");
  testsupport::write_file(target, {'o'});
  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(save_atomically(target, [](OutputFile& out) { return write_text(out, "new"); }).ok());
  EXPECT_EQ(contents(target), "new");
  struct stat st;
  ::stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(SafeSave, ASymbolicLinkAtTheNameIsReplacedAndWhatItNamesStays) {
  // Whoever may write the output folder can plant links at output names;
  // the files they name must not be what gets replaced.
  TempDir dir;
  fs::create_directory(dir.path() / "real");
  const std::string real = dir.file("real/pic.bmp");
  testsupport::write_file(real, {'o'});
  fs::create_symlink("real/pic.bmp", dir.path() / "link.bmp");
  fs::create_symlink(dir.file("absent.bmp"), dir.path() / "dangling.bmp");
  for (const char* name : {"link.bmp", "dangling.bmp"}) {
    ASSERT_TRUE(save_atomically(dir.file(name), [](OutputFile& out) { return write_text(out, "new"); }).ok());
    EXPECT_FALSE(fs::is_symlink(dir.path() / name)) << name;
    EXPECT_EQ(contents(dir.file(name)), "new") << name;
  }
  EXPECT_EQ(contents(real), "o");
  EXPECT_FALSE(fs::exists(dir.path() / "absent.bmp"));
}

TEST(SafeSave, LeftoversOfSavesWhoseProcessIsGoneAreRemoved) {
  TempDir dir;
  // A save killed after naming its finished file: the process made the
  // name and is gone. The child only opens and leaves.
  const std::string folder = dir.path().string();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string name = folder + "/" + temporary_file_name();
    ::_exit(::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600) >= 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_EQ(status, 0);
  ASSERT_EQ(entries_in(dir.path()), 1u);
  // What stays: a save of this live process, the same name on another
  // machine, a name of the old kind that says nothing of its owner.
  const std::string own = temporary_file_name();
  std::string other_machine = own;
  other_machine[4] = other_machine[4] == '0' ? '1' : '0';
  for (const std::string& name : {own, other_machine, std::string(".pkab12cd34")})
    testsupport::write_file(dir.file(name), {'x'});

  EXPECT_EQ(PixkitRemoveLeftoverSaves(dir.path().c_str()), 1);
  EXPECT_EQ(entries_in(dir.path()), 3u);
  EXPECT_EQ(PixkitRemoveLeftoverSaves(dir.file("fehlt").c_str()), 0);
}

TEST(SafeSave, RefusesTargetsThatCannotOrMayNotBeWritten) {
  TempDir dir;
  const std::string locked = dir.file("locked.bmp");
  testsupport::write_file(locked, {'o'});
  ::chmod(locked.c_str(), 0444);
  EXPECT_FALSE(save_atomically(locked, [](OutputFile& out) { return write_text(out, "new"); }).ok());
  EXPECT_EQ(contents(locked), "o");

  // A parent that is a regular file.
  EXPECT_FALSE(save_atomically(locked + "/x.bmp", [](OutputFile& out) { return write_text(out, "n"); }).ok());
  // A folder in the target's place.
  fs::create_directory(dir.path() / "folder.bmp");
  EXPECT_FALSE(
      save_atomically(dir.file("folder.bmp"), [](OutputFile& out) { return write_text(out, "n"); }).ok());
  EXPECT_EQ(entries_in(dir.path()), 2u);
}

TEST(SafeSave, NothingButTheOldFileIsVisibleWhileWriting) {
  TempDir dir;
  const std::string target = dir.file("a.bmp");
  testsupport::write_file(target, {'o', 'l', 'd'});
  size_t seen_while_writing = 0;
  ASSERT_TRUE(save_atomically(target, [&](OutputFile& out) {
                seen_while_writing = entries_in(dir.path());
                return write_text(out, "new");
              }).ok());
  // /tmp supports unnamed temporary files; a folder that does not gets a
  // short hidden name instead, which this test would see.
  EXPECT_EQ(seen_while_writing, 1u);
  EXPECT_EQ(contents(target), "new");
  EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(SafeSave, TargetNamesUpToTheSystemLimitAreWritten) {
  TempDir dir;
  for (size_t length : {248u, 255u}) {
    const std::string name = std::string(length - 4, 'n') + ".bmp";
    int reason = -1;
    EXPECT_TRUE(save_atomically(
                    dir.file(name), [](OutputFile& out) { return write_text(out, "x"); }, &reason)
                    .ok())
        << length;
    EXPECT_EQ(reason, PIXKIT_REASON_NONE);
    EXPECT_EQ(contents(dir.file(name)), "x");
  }
  EXPECT_EQ(entries_in(dir.path()), 2u);
}

TEST(SafeSave, FailuresNameTheirReason) {
  TempDir dir;
  const auto reason_for = [](const std::string& path, Status (*content)(OutputFile&)) {
    int reason = -1;
    EXPECT_FALSE(save_atomically(path, content, &reason).ok()) << path;
    return reason;
  };
  const auto text = [](OutputFile& out) { return write_text(out, "n"); };
  EXPECT_EQ(reason_for(dir.file("fehlt/a.bmp"), text), PIXKIT_REASON_NOT_FOUND);
  EXPECT_EQ(reason_for(dir.file(std::string(256, 'n')), text), PIXKIT_REASON_NAME_TOO_LONG);
  testsupport::write_file(dir.file("locked.bmp"), {'o'});
  ::chmod(dir.file("locked.bmp").c_str(), 0444);
  EXPECT_EQ(reason_for(dir.file("locked.bmp"), text), PIXKIT_REASON_NO_PERMISSION);
  EXPECT_EQ(reason_for(dir.file("b.gif"),
                       [](OutputFile&) { return Status(fail("gif: picture too large for GIF")); }),
            PIXKIT_REASON_TOO_LARGE);
  EXPECT_EQ(reason_for(dir.file("b.jp2"), [](OutputFile&) { return Status(fail("jp2: encoder failed")); }),
            PIXKIT_REASON_ENCODER);
  EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(SafeSave, WriteErrorOfTheDeviceIsReported) {
  // /dev/full accepts opening but fails every write.
  const int fd = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  {
    OutputFile out(fd, "/dev/full");
    std::vector<uint8_t> block(1 << 17, 1);
    out.write(block.data(), block.size());
    EXPECT_FALSE(out.finish().ok());
    EXPECT_EQ(out.error_number(), ENOSPC);
  }
  ::close(fd);
}

TEST(SaveDib, RefusesRecordsWithoutPixelsAndUnknownCodes) {
  TempDir dir;
  TDibImage empty{};
  EXPECT_EQ(SaveDib(&empty, dir.file("a.bmp").c_str(), PIXKIT_FORMAT_BMP, nullptr), 0);
  TDibImage d = newdib(2, 2, 24, nullptr, 0);
  EXPECT_EQ(SaveDib(&d, dir.file("a.xyz").c_str(), 99, nullptr), 0);
  EXPECT_EQ(SaveDib(&d, nullptr, PIXKIT_FORMAT_BMP, nullptr), 0);
  deldib(&d);
  EXPECT_EQ(entries_in(dir.path()), 0u);
}

TEST(OpenDib, MissingOrEmptyFilesGiveNoPixels) {
  TempDir dir;
  TDibImage d = OpenDib(dir.file("none.bmp").c_str(), 0, nullptr);
  EXPECT_EQ(d.Bits, nullptr);
  testsupport::write_file(dir.file("empty.bmp"), {});
  d = OpenDib(dir.file("empty.bmp").c_str(), 0, nullptr);
  EXPECT_EQ(d.Bits, nullptr);
  d = OpenDib(dir.path().c_str(), 0, nullptr);
  EXPECT_EQ(d.Bits, nullptr);
  testsupport::write_file(dir.file("junk.bmp"), {'x', 'y', 'z', 0, 0, 0, 0});
  d = OpenDib(dir.file("junk.bmp").c_str(), 0, nullptr);
  EXPECT_EQ(d.Bits, nullptr);
}
