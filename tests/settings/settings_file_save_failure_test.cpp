// SPDX-License-Identifier: GPL-3.0-or-later
// A save that fails reports why and leaves the older file as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <stdexcept>

#include "settings/settings_file.h"
#include "settings_test_support.h"

using namespace settings_test;

namespace {

// Lets the process write files of at most limit bytes for its lifetime;
// writes past it fail with EFBIG (the signal is ignored), also for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = old_;
    lowered.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit old_{};
  void (*previous_handler_)(int) = nullptr;
};

size_t entries_in(const fs::path& folder) {
  size_t count = 0;
  for (auto it = fs::directory_iterator(folder); it != fs::directory_iterator(); ++it) ++count;
  return count;
}

}  // namespace

TEST(SettingsFile, WriteErrorKeepsTheOlderFileAndLeavesNoTemporary) {
  ScratchFolder folder;
  const std::string path = folder.file("job.stx");
  SettingsFileContent old_content = content_with_picture(2, 2);
  ASSERT_TRUE(WriteSettingsFile(path, old_content).ok);
  deldib(&old_content.watermark);
  const std::vector<uint8_t> old_bytes = read_file(path);

  SettingsFileContent content = content_with_picture(320, 200);
  SettingsWriteResult result;
  {
    FileSizeLimit limit(4096);
    result = WriteSettingsFile(path, content);
  }
  deldib(&content.watermark);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "Die Datei " + path + " konnte nicht gespeichert werden: Die Datei ist zu groß");
  EXPECT_EQ(read_file(path), old_bytes);
  EXPECT_EQ(entries_in(folder.path()), 1u);
}

TEST(SettingsFile, FolderThatIsAFileIsReported) {
  ScratchFolder folder;
  write_file(folder.file("kein-ordner"), {1});
  const std::string path = folder.file("kein-ordner") + "/job.stx";
  SettingsFileContent content = content_with_picture(1, 1);
  const SettingsWriteResult result = WriteSettingsFile(path, content);
  deldib(&content.watermark);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message,
            "Die Datei " + path + " konnte nicht gespeichert werden: Ein Teil des Pfades ist kein Ordner");
}

TEST(SettingsFile, SymbolicLinkIsWrittenThrough) {
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(1, 1);
  ASSERT_TRUE(WriteSettingsFile(folder.file("real.stx"), content).ok);
  fs::create_symlink(folder.file("real.stx"), folder.file("link.stx"));
  content.out_dir = "Anders";
  ASSERT_TRUE(WriteSettingsFile(folder.file("link.stx"), content).ok);
  deldib(&content.watermark);
  EXPECT_TRUE(fs::is_symlink(folder.file("link.stx")));
  SettingsReadResult read = ReadSettingsFile(folder.file("real.stx"));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.content.out_dir, "Anders");
  deldib(&read.content.watermark);
}

TEST(SettingsFile, MissingFileCannotBeOpened) {
  ScratchFolder folder;
  SettingsReadResult read = ReadSettingsFile(folder.file("fehlt.stx"));
  EXPECT_EQ(read.failure, SettingsReadFailure::kCannotOpen);
  EXPECT_EQ(read.message, "Die Datei " + folder.file("fehlt.stx") + " konnte nicht geöffnet werden.");
  EXPECT_EQ(ReadSettingsFile(folder.path().string()).failure, SettingsReadFailure::kCannotOpen);
}

TEST(SettingsFile, NamedPipeAndDeviceAreNotOpenedAndDoNotBlock) {
  // Opening a pipe nobody writes to would wait for ever.
  ScratchFolder folder;
  ASSERT_EQ(::mkfifo(folder.file("rohr.stx").c_str(), 0600), 0);
  EXPECT_EQ(ReadSettingsFile(folder.file("rohr.stx")).failure, SettingsReadFailure::kCannotOpen);
  EXPECT_EQ(ReadSettingsFile("/dev/zero").failure, SettingsReadFailure::kCannotOpen);
}

TEST(SettingsFile, ThrowingProgressLeavesNoTemporaryAndNoRecord) {
  // Under the sanitizer build a record or file left behind shows as a leak.
  ScratchFolder folder;
  SettingsFileContent content = content_with_picture(2, 3);
  ASSERT_TRUE(WriteSettingsFile(folder.file("job.stx"), content).ok);
  const std::vector<uint8_t> old_bytes = read_file(folder.file("job.stx"));
  const auto throw_at_row = [](int percent) {
    if (percent == 50) throw std::runtime_error("abgebrochen");
  };
  content.out_dir = "Anders";
  EXPECT_THROW(WriteSettingsFile(folder.file("job.stx"), content, throw_at_row), std::runtime_error);
  deldib(&content.watermark);
  EXPECT_EQ(read_file(folder.file("job.stx")), old_bytes);
  EXPECT_EQ(entries_in(folder.path()), 1u);
  EXPECT_THROW(ReadSettingsFile(folder.file("job.stx"), throw_at_row), std::runtime_error);
}
