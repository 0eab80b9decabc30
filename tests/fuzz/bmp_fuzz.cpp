// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the BMP reader; a picture that decodes must also
// make a valid record.
#include <cstddef>
#include <cstdint>

#include "codecs/codecs.h"
#include "core/record_storage.h"
#include "pixkit/pixkit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small caps keep each input fast and the fuzzer's memory bounded.
  PixkitSetLimits(4096, 4'000'000);
  auto picture = pixkit::decode_bmp(pixkit::ByteSpan(data, size));
  if (picture) {
    TDibImage dib = pixkit::record_from_picture(std::move(picture.value()));
    deldib(&dib);
  }
  return 0;
}
