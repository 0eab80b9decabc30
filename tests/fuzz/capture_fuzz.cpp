// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness for the capture-field reader: whatever a JPEG's
// markers or a TIFF's directories say, the walk stays inside the bytes,
// ends, and hands out only names and dates in their ranges.
#include <cstddef>
#include <cstdint>

#include "codecs/metadata/capture_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const pixkit::CaptureFields fields =
      pixkit::read_capture_fields(pixkit::SpanSource(pixkit::ByteSpan(data, size)));
  if (fields.make.size() > pixkit::kMaxCameraNameBytes || fields.model.size() > pixkit::kMaxCameraNameBytes)
    __builtin_trap();
  if (fields.has_time && (fields.month < 1 || fields.month > 12 || fields.day < 1 || fields.day > 31 ||
                          fields.hour > 23 || fields.minute > 59))
    __builtin_trap();
  return 0;
}
