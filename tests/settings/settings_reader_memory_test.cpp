// SPDX-License-Identifier: GPL-3.0-or-later
// The reader holds a huge text once: its peak memory stays within twice the
// file's size. Every allocation of this test program is counted (the
// replaced operator new below), so the peak is measured, not guessed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "settings/settings_file.h"
#include "settings_test_support.h"

namespace {

constexpr size_t kHeader = 16;  // keeps the blocks 16-byte aligned
std::atomic<size_t> g_live_bytes{0};
std::atomic<size_t> g_peak_bytes{0};

void* counted_new(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  const size_t live = g_live_bytes.fetch_add(size) + size;
  size_t peak = g_peak_bytes.load();
  while (live > peak && !g_peak_bytes.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void counted_delete(void* p) noexcept {
  if (p == nullptr) return;
  char* block = static_cast<char*>(p) - kHeader;
  g_live_bytes.fetch_sub(*reinterpret_cast<size_t*>(block));
  std::free(block);
}

// Bytes allocated at the most while fn ran, above what was live before.
template <class Fn>
size_t peak_while(Fn&& fn) {
  const size_t before = g_live_bytes.load();
  g_peak_bytes.store(before);
  fn();
  return g_peak_bytes.load() - before;
}

}  // namespace

void* operator new(size_t size) { return counted_new(size); }
void* operator new[](size_t size) { return counted_new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return counted_new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { counted_delete(p); }
void operator delete[](void* p) noexcept { counted_delete(p); }
void operator delete(void* p, size_t) noexcept { counted_delete(p); }
void operator delete[](void* p, size_t) noexcept { counted_delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { counted_delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { counted_delete(p); }

using namespace settings_test;

namespace {

// A job whose text is the given bytes, many lines of them.
size_t write_job_with_text(const std::string& path, const std::string& line, size_t text_bytes) {
  std::string text;
  text.reserve(text_bytes + line.size());
  while (text.size() < text_bytes) text += line;
  Bytes b;
  b.i32(0).f64(20).f64(20).string(text).u8(1).u8(0).u8(0).u8(1);
  b.i32(75).i32(50).i32(4).i32(9).i32(75);
  b.string("W").string("").string("").string("").string("");
  picture_header(b, 1, 1).zeros(4);
  write_file(path, b.bytes());
  return b.bytes().size();
}

}  // namespace

TEST(SettingsFileMemory, HugeTextIsHeldOnceWhileReading) {
  ScratchFolder folder;
  constexpr size_t kText = 8 << 20;
  struct Case {
    const char* name;
    std::string line;
  };
  // Plain UTF-8; and Windows-1252 with an umlaut or a euro sign now and
  // then, which grows by a few bytes as UTF-8.
  const Case cases[] = {{"utf8", "Wasserzeichen f\xC3\xBCr alle Bilder\r\n"},
                        {"cp1252", "Wasserzeichen f\xFCr alle Bilder zu 5 \x80\r\n"}};
  for (const Case& c : cases) {
    const std::string path = folder.file(std::string(c.name) + ".stx");
    const size_t file_size = write_job_with_text(path, c.line, kText);
    SettingsReadResult read;
    const size_t peak = peak_while([&] { read = ReadSettingsFile(path); });
    ASSERT_TRUE(read.ok()) << c.name;
    EXPECT_GE(read.content.text.size(), kText) << c.name;
    EXPECT_LE(peak, 2 * file_size) << c.name;
    deldib(&read.content.watermark);
  }
}
