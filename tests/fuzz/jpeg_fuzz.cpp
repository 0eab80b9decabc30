// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness for the JPEG reader: any input either decodes into a
// record or is refused, within the lowered limits, without a crash.
#include <cstddef>
#include <cstdint>

#include "codecs/codecs.h"
#include "core/record_storage.h"
#include "pixkit/pixkit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PixkitSetLimits(4096, 4'000'000);
  auto picture = pixkit::decode_jpeg(pixkit::ByteSpan(data, size));
  if (!picture) return 0;
  TDibImage dib = pixkit::record_from_picture(std::move(picture.value()));
  deldib(&dib);
  return 0;
}
