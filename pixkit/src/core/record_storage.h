// SPDX-License-Identifier: LGPL-2.1-or-later
// What a record's Storage points at, and the conversions between records and
// pictures.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_reader.h"
#include "picture.h"
#include "pixkit/pixkit.h"

namespace pixkit {

// Which storages are still live is kept in live_storage.h, never in the
// storage itself, so that a released one is never read.
struct DibStorage {
  PixkitBitmapInfo info{};
  PixelBuffer pixels;
  Metadata metadata;
};

// Takes the picture's pixels over into a new record with both palette copies
// and a palette handle. On failure Storage and Bits are null.
TDibImage record_from_picture(Picture&& picture);

// A record this library made that still holds pixels and a sane header.
const DibStorage* storage_of(const TDibImage* dib);

// A view of the record's pixels. The palette comes from the header's colour
// table and is copied into palette_buffer; the metadata kept with the
// storage is copied into metadata_buffer with the resolution taken from the
// header, which is what callers may have changed.
Result<PictureView> view_of_record(const TDibImage* dib, std::vector<Rgb>& palette_buffer,
                                   Metadata& metadata_buffer);

TDibImage empty_record();

// Loads a picture held in memory the way OpenDib loads a file (tests and
// fuzzing use it).
TDibImage open_dib_from_memory(ByteSpan file);

// Library default palettes: black/white, the 16 VGA colours, a colour cube.
const std::vector<Rgb>& default_palette(int bit_count);

}  // namespace pixkit
