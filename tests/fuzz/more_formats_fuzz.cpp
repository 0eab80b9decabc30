// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness for the readers of the further sources (WebP, AVIF,
// HEIF): each decodes the input, and a decoded picture goes to a record the
// way OpenDibAs hands it over.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "codecs/codecs.h"
#include "core/record_storage.h"
#include "pixkit/pixkit.h"

namespace {

void hand_over(pixkit::Result<pixkit::Picture> picture) {
  if (!picture) return;
  TDibImage dib = pixkit::record_from_picture(std::move(picture.value()));
  deldib(&dib);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool limited = [] {
    PixkitSetLimits(4096, 4'000'000);
    return true;
  }();
  (void)limited;
  const pixkit::SpanSource file(pixkit::ByteSpan(data, size));
  hand_over(pixkit::decode_webp(file));
  hand_over(pixkit::decode_avif(file));
  hand_over(pixkit::decode_heif(file));
  return 0;
}
