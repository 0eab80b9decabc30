// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness for taking GPS and serial numbers out of an EXIF block:
// whatever the block says, the rewrite stays inside it, and a block it
// cleaned has nothing left to clean.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/metadata/exif_privacy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> block(data, data + size);
  if (!pixkit::remove_gps_and_serials(block)) return 0;
  std::vector<uint8_t> again = block;
  if (!pixkit::remove_gps_and_serials(again) || again != block) __builtin_trap();
  return 0;
}
