// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness for the bit copy's and the recoding's own scan reader
// and writers: whatever the header and the entropy-coded bytes say, reading
// the scan ends inside the bytes, and writing it back (every seventh MCU
// coded again), by the source's tables or by tables made for it, ends too.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/jpeg/blocks/jpeg_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const pixkit::SpanSource file(pixkit::ByteSpan(data, size));
  auto job = std::make_unique<pixkit::BlockJob>();
  job->file = &file;
  bool bit_copy = false;
  const char* failure = pixkit::open_block_source(*job, [&bit_copy](const pixkit::BlockJob& opened) {
    // Small pictures only: the harness is after the reader, not the memory.
    const int64_t mcus = int64_t(opened.geometry.mcus_across) * opened.geometry.mcus_down;
    bit_copy = mcus <= (int64_t(1) << 16) && pixkit::bit_copy_suits(opened.src);
    return false;
  });
  if (!failure && job->eligible && bit_copy) {
    const size_t mcus = size_t(job->geometry.mcus_across) * size_t(job->geometry.mcus_down);
    std::vector<uint8_t> every_seventh(mcus, 0);
    for (size_t m = 0; m < mcus; m += 7) every_seventh[m] = 1;
    if (!pixkit::read_scan_for_bit_copy(*job, every_seventh, &every_seventh)) {
      std::vector<uint8_t> out;
      pixkit::write_bit_copy(*job, every_seventh, out);
      out.clear();
      pixkit::write_recoded(*job, every_seventh, out);
    }
  }
  pixkit::close_block_source(*job);
  return 0;
}
