// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness for the EXIF block walker: whatever the block says, the
// walk stays inside it, and the upright rewrite only touches its bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/metadata/exif_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto layout = pixkit::read_exif_layout(pixkit::ByteSpan(data, size));
  if (!layout) return 0;
  std::vector<uint8_t> block(data, data + size);
  // A rewrite that succeeds leaves a block that walks, upright and without
  // a thumbnail; one that fails is dropped by the codec.
  if (!pixkit::make_exif_upright(block, layout.value(), 640, 480)) return 0;
  auto again = pixkit::read_exif_layout(block);
  if (!again || again->orientation != 1 || again->ifd1_at != 0) __builtin_trap();
  return 0;
}
