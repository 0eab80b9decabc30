// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a settings file: the target's permission bits decide, not the
// fact that a rename over it would succeed. The tests run as the
// super-user, whom the system lets write anything, so the decision is
// tested for other identities directly.
#include "save_target_mode.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "settings_test_support.h"

using namespace settings_test;

namespace {

struct stat file_with(uid_t owner, gid_t group, mode_t bits) {
  struct stat st {};
  st.st_uid = owner;
  st.st_gid = group;
  st.st_mode = S_IFREG | bits;
  return st;
}

ProcessIdentity user(uid_t id, gid_t group, std::vector<gid_t> groups = {}) {
  ProcessIdentity process;
  process.user = id;
  process.group = group;
  process.groups = std::move(groups);
  process.umask = 022;
  return process;
}

}  // namespace

TEST(SaveTargetMode, WriteProtectedFileIsRefusedWhoeverAsks) {
  const struct stat own = file_with(1000, 100, 0444);
  EXPECT_TRUE(DecideSaveTarget(&own, user(1000, 100)).refused);
  const struct stat group_only = file_with(0, 50, 0664);
  EXPECT_FALSE(DecideSaveTarget(&group_only, user(1000, 100, {50})).refused);
  EXPECT_TRUE(DecideSaveTarget(&group_only, user(1000, 100)).refused);  // others may only read
  // The owner's bits bind the owner even where the group's would allow.
  const struct stat owner_read_only = file_with(1000, 100, 0464);
  EXPECT_TRUE(DecideSaveTarget(&owner_read_only, user(1000, 100)).refused);
  const struct stat roots = file_with(0, 0, 0444);
  EXPECT_TRUE(DecideSaveTarget(&roots, user(0, 0)).refused);
}

TEST(SaveTargetMode, ReplacedFileKeepsItsBitsAndANewOneFollowsTheUmask) {
  const struct stat private_file = file_with(1000, 100, 0600);
  EXPECT_EQ(DecideSaveTarget(&private_file, user(1000, 100)).mode, mode_t(0600));
  const struct stat shared = file_with(1000, 100, 0664);
  EXPECT_EQ(DecideSaveTarget(&shared, user(1000, 100)).mode, mode_t(0664));
  ProcessIdentity strict = user(1000, 100);
  strict.umask = 027;
  const SaveTargetDecision fresh = DecideSaveTarget(nullptr, strict);
  EXPECT_FALSE(fresh.refused);
  EXPECT_EQ(fresh.mode, mode_t(0640));
}

TEST(SettingsFile, WriteProtectedTargetIsLeftAloneAndAPrivateOneStaysPrivate) {
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(2, 2);
  const std::string locked = folder.file("gesperrt.stx");
  write_file(locked, {1, 2, 3});
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const SettingsWriteResult refused = WriteSettingsFile(locked, content);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message,
            "Die Datei " + locked + " konnte nicht gespeichert werden: Die Datei ist schreibgeschützt");
  EXPECT_EQ(read_file(locked), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

  const std::string private_job = folder.file("privat.stx");
  write_file(private_job, {1});
  fs::permissions(private_job, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteSettingsFile(private_job, content).ok);
  EXPECT_EQ(fs::status(private_job).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_GT(fs::file_size(private_job), 3u);
  deldib(&content.watermark);
}
