// SPDX-License-Identifier: GPL-3.0-or-later
// Loading sources that are not what they claim or change under the reader:
// every case is a failed load with its reason, never a crash or a hang.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/source_file.h"
#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

using testsupport::OwnedDib;
using testsupport::TempDir;

namespace {

// A 24-bit BMP of width x height, saved by the library.
std::vector<uint8_t> bmp_bytes(const TempDir& dir, int width, int height) {
  OwnedDib picture(newdib(width, height, 24, nullptr, 0));
  const std::string path = dir.file("made.bmp");
  EXPECT_EQ(SaveDib(&picture.dib, path.c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
  return testsupport::read_file(path);
}

int load_reason(const std::string& path) {
  int reason = -1;
  OwnedDib d(OpenDibEx(path.c_str(), 0, nullptr, &reason));
  EXPECT_EQ(d.dib.Bits == nullptr, reason != PIXKIT_REASON_NONE) << path;
  return reason;
}

}  // namespace

TEST(SourceLoad, FileCutShortAfterOpeningIsAChangedFile) {
  TempDir dir;
  const std::string path = dir.file("a.bmp");
  testsupport::write_file(path, bmp_bytes(dir, 300, 200));
  uint64_t size = 0;
  int reason = PIXKIT_REASON_NONE;
  const int fd = pixkit::open_source_file(path.c_str(), size, reason);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::truncate(path.c_str(), 100), 0);
  const pixkit::FileSource file(fd, size);
  std::vector<uint8_t> bytes(size);
  EXPECT_FALSE(file.read(0, bytes.data(), bytes.size()));
  EXPECT_EQ(file.failure_reason(), PIXKIT_REASON_CHANGED);
  ::close(fd);
}

TEST(SourceLoad, SourceRewrittenWhileLoadingNeverKillsTheProcess) {
  // Another program re-saving the source in place truncates it and writes
  // it again; a load at any point of that gives a picture or a failure.
  TempDir dir;
  const std::string path = dir.file("a.bmp");
  const std::vector<uint8_t> whole = bmp_bytes(dir, 600, 400);
  testsupport::write_file(path, whole);
  std::atomic<bool> done{false};
  std::thread rewriter([&] {
    while (!done.load()) {
      // A failed cut only makes this round a plain rewrite.
      if (::truncate(path.c_str(), 64) != 0) continue;
      testsupport::write_file(path, whole);
    }
  });
  int loaded = 0;
  for (int i = 0; i < 200; ++i) {
    OwnedDib d(OpenDib(path.c_str(), 0, nullptr));
    if (d.dib.Bits) ++loaded;
  }
  done.store(true);
  rewriter.join();
  SUCCEED() << loaded << " of 200 loads got the whole picture";
}

TEST(SourceLoad, NamedPipeIsRefusedWithoutWaiting) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.bmp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(load_reason(fifo), PIXKIT_REASON_NOT_REGULAR);
  EXPECT_EQ(load_reason(dir.path().string()), PIXKIT_REASON_NOT_REGULAR);
  EXPECT_EQ(load_reason("/dev/zero"), PIXKIT_REASON_NOT_REGULAR);
}

TEST(SourceLoad, EachFailureNamesItsReason) {
  TempDir dir;
  EXPECT_EQ(load_reason(dir.file("fehlt.bmp")), PIXKIT_REASON_NOT_FOUND);

  testsupport::write_file(dir.file("text.bmp"), {'k', 'e', 'i', 'n', ' ', 'B', 'i', 'l', 'd'});
  EXPECT_EQ(load_reason(dir.file("text.bmp")), PIXKIT_REASON_UNKNOWN_FORMAT);
  testsupport::write_file(dir.file("leer.bmp"), {});
  EXPECT_EQ(load_reason(dir.file("leer.bmp")), PIXKIT_REASON_UNKNOWN_FORMAT);

  std::vector<uint8_t> cut = bmp_bytes(dir, 30, 20);
  cut.resize(cut.size() / 2);
  testsupport::write_file(dir.file("halb.bmp"), cut);
  EXPECT_EQ(load_reason(dir.file("halb.bmp")), PIXKIT_REASON_DAMAGED);

  testsupport::write_file(dir.file("gross.bmp"), bmp_bytes(dir, 30, 20));
  PixkitSetLimits(16, 0);
  EXPECT_EQ(load_reason(dir.file("gross.bmp")), PIXKIT_REASON_TOO_LARGE);
  PixkitSetLimits(0, 0);
  EXPECT_EQ(load_reason(dir.file("gross.bmp")), PIXKIT_REASON_NONE);

  if (::geteuid() != 0) {
    ::chmod(dir.file("gross.bmp").c_str(), 0);
    EXPECT_EQ(load_reason(dir.file("gross.bmp")), PIXKIT_REASON_NO_PERMISSION);
  }
}

TEST(SourceLoad, PictureIsReadFromAFileFarLargerThanIt) {
  // The reader takes what the headers locate; a file of several gigabytes
  // behind a small picture costs the picture, and the rest is ignored.
  TempDir dir;
  const std::string path = dir.file("lang.bmp");
  testsupport::write_file(path, bmp_bytes(dir, 30, 20));
  ASSERT_EQ(::truncate(path.c_str(), off_t(5) << 30), 0);  // sparse: no disk space taken
  EXPECT_EQ(load_reason(path), PIXKIT_REASON_NONE);
}

TEST(SourceLoad, SizeOverTheLimitsIsTooLargeInEveryFormat) {
  TempDir dir;
  OwnedDib picture(newdib(30, 20, 24, nullptr, 0));
  const int formats[] = {PIXKIT_FORMAT_BMP, PIXKIT_FORMAT_GIF, PIXKIT_FORMAT_IFF,
                         PIXKIT_FORMAT_JPG, PIXKIT_FORMAT_PCX, PIXKIT_FORMAT_RLE,
                         PIXKIT_FORMAT_TGA, PIXKIT_FORMAT_TIF, PIXKIT_FORMAT_JP2};
  for (const int format : formats) {
    const std::string path = dir.file("bild" + std::to_string(format));
    ASSERT_EQ(SaveDib(&picture.dib, path.c_str(), format, nullptr), 1) << format;
    PixkitSetLimits(16, 0);
    EXPECT_EQ(load_reason(path), PIXKIT_REASON_TOO_LARGE) << "format " << format;
    PixkitSetLimits(0, 0);
    EXPECT_EQ(load_reason(path), PIXKIT_REASON_NONE) << "format " << format;
  }
}
