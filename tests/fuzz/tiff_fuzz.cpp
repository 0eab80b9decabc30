// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness for the tiff reader: decode, and hand a decoded picture
// to a record the way OpenDib does.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "codecs/codecs.h"
#include "core/record_storage.h"
#include "pixkit/pixkit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small caps keep each input fast and its memory bounded.
  static const bool limited = [] {
    PixkitSetLimits(4096, 4'000'000);
    return true;
  }();
  (void)limited;
  auto picture = pixkit::decode_tiff(pixkit::ByteSpan(data, size));
  if (picture) {
    TDibImage dib = pixkit::record_from_picture(std::move(picture.value()));
    deldib(&dib);
  }
  return 0;
}
