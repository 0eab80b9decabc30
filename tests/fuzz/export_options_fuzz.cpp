// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary fields to the job file's option block, the part of a job
// that holds the export settings (the fields 0x03xx: size, format, encoder
// settings, names, target). The input is the block's fields; the harness
// puts the block's tag, version and length in front, as a job file has
// them, so every input reaches the field reader instead of the file's
// header checks. A block that reads is written again and read back: the
// writer's own block must read, and give the same bytes when written once
// more.
#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "options_block.h"
#include "pixkit/pixkit.h"
#include "settings/watermark_options.h"
#include "settings_io.h"

namespace {

constexpr uint16_t kBlockVersion = 1;

void append_le(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

// Reads a whole block held in memory; false when it does not read.
bool read_block(const std::string& block, WatermarkOptions& options, TDibImage& alpha) {
  std::FILE* file = ::fmemopen(const_cast<char*>(block.data()), block.size(), "rb");
  if (file == nullptr) return false;
  SettingsInput input(file, block.size());
  const bool read = ReadOptionsBlock(input, options, &alpha);
  std::fclose(file);
  return read;
}

std::string write_block(const WatermarkOptions& options, const TDibImage* alpha) {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* file = ::open_memstream(&buffer, &size);
  if (file == nullptr) std::abort();
  {
    SettingsOutput output(file);
    WriteOptionsBlock(output, options, alpha);
  }
  std::fclose(file);
  std::string written(buffer, size);
  std::free(buffer);
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small caps keep each input fast and the fuzzer's memory bounded.
  PixkitSetLimits(4096, 4'000'000);
  std::string block("ERWT", 4);
  append_le(block, kBlockVersion, 2);
  append_le(block, size, 4);
  block.append(reinterpret_cast<const char*>(data), size);

  WatermarkOptions options;
  TDibImage alpha{};
  if (!read_block(block, options, alpha)) {
    deldib(&alpha);
    return 0;
  }
  const TDibImage* kept = alpha.Bits != nullptr ? &alpha : nullptr;
  const std::string first = write_block(options, kept);
  deldib(&alpha);
  if (first.empty()) return 0;  // every option off: no block

  WatermarkOptions again;
  TDibImage alpha_again{};
  if (!read_block(first, again, alpha_again)) std::abort();  // our own block must read
  const std::string second = write_block(again, alpha_again.Bits != nullptr ? &alpha_again : nullptr);
  deldib(&alpha_again);
  if (second != first) std::abort();  // and stay the same when written again
  return 0;
}
