// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the PCX reader and turns whatever it accepts into
// a record, as OpenDib would.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "codecs/codecs.h"
#include "core/record_storage.h"
#include "pixkit/pixkit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small caps keep each input fast and its memory bounded.
  PixkitSetLimits(4096, 4'000'000);
  auto picture = pixkit::decode_pcx(pixkit::ByteSpan(data, size));
  if (picture) {
    TDibImage dib = pixkit::record_from_picture(std::move(picture.value()));
    deldib(&dib);
  }
  return 0;
}
