// SPDX-License-Identifier: LGPL-2.1-or-later
// Making, checking and releasing image records.
#include <cstring>
#include <new>

#include "checked_size.h"
#include "limits.h"
#include "live_storage.h"
#include "record_storage.h"

namespace pixkit {
namespace {

void fill_palette_copies(TDibImage& dib, const std::vector<Rgb>& colours, int bit_count) {
  const int count = 1 << bit_count;
  dib.LogPalette.palVersion = 0x300;
  dib.LogPalette.palNumEntries = uint16_t(count);
  for (int i = 0; i < count; ++i) {
    const Rgb c = size_t(i) < colours.size() ? colours[size_t(i)] : Rgb{};
    dib.Info->bmiColors[i] = PixkitRgbQuad{c.b, c.g, c.r, 0};
    dib.LogPalette.palPalEntry[i] = PixkitPaletteEntry{c.r, c.g, c.b, 0};
  }
  dib.Info->bmiHeader.biClrUsed = uint32_t(count);
  dib.HasPalette = 1;
  dib.PaletteHandle = CreatePalette(&dib.LogPalette);
}

}  // namespace

TDibImage empty_record() {
  TDibImage dib;
  std::memset(&dib, 0, sizeof dib);
  return dib;
}

TDibImage record_from_picture(Picture&& picture) {
  TDibImage dib = empty_record();
  DibStorage* storage = new (std::nothrow) DibStorage;
  if (!storage) return dib;
  PixkitBitmapInfoHeader& h = storage->info.bmiHeader;
  h.biSize = 40;
  h.biWidth = picture.width();
  h.biHeight = picture.height();
  h.biPlanes = 1;
  h.biBitCount = uint16_t(picture.bit_count());
  h.biCompression = 0;
  h.biSizeImage = uint32_t(picture.byte_size() > UINT32_MAX ? 0 : picture.byte_size());
  h.biXPelsPerMeter = picture.metadata.x_pixels_per_meter;
  h.biYPelsPerMeter = picture.metadata.y_pixels_per_meter;
  const int32_t row_bytes = picture.row_bytes();
  const int bit_count = picture.bit_count();
  std::vector<Rgb> palette = std::move(picture.palette);
  storage->metadata = std::move(picture.metadata);
  storage->pixels = picture.release_pixels();

  dib.Info = &storage->info;
  dib.Storage = storage;
  try {
    register_storage(dib, storage);
  } catch (...) {
    delete storage;
    return empty_record();
  }
  dib.Bits = storage->pixels.data();
  dib.RowBytes = row_bytes;
  if (bit_count <= 8) fill_palette_copies(dib, palette, bit_count);
  return dib;
}

const DibStorage* storage_of(const TDibImage* dib) {
  if (!dib || !dib->Info || !dib->Bits) return nullptr;
  return live_storage_of(dib);
}

Result<PictureView> view_of_record(const TDibImage* dib, std::vector<Rgb>& palette_buffer,
                                   Metadata& metadata_buffer) {
  const DibStorage* storage = storage_of(dib);
  if (!storage) return fail("record holds no picture");
  const PixkitBitmapInfoHeader& h = dib->Info->bmiHeader;
  const int bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return fail("record has an unsupported bit count");
  if (h.biWidth < 1 || h.biHeight < 1) return fail("record has no pixels");
  auto row_bytes = dib_row_bytes(uint64_t(h.biWidth), uint64_t(bits));
  if (!row_bytes || dib->RowBytes < 0 || uint64_t(dib->RowBytes) < *row_bytes)
    return fail("record row length too short");
  auto total = checked_mul(uint64_t(dib->RowBytes), uint64_t(h.biHeight));
  if (!total || *total > storage->pixels.size()) return fail("record larger than its storage");
  PictureView view;
  view.width = h.biWidth;
  view.height = h.biHeight;
  view.bit_count = bits;
  view.row_bytes = dib->RowBytes;
  view.bits = dib->Bits;
  metadata_buffer = storage->metadata;
  metadata_buffer.x_pixels_per_meter = h.biXPelsPerMeter;
  metadata_buffer.y_pixels_per_meter = h.biYPelsPerMeter;
  view.metadata = &metadata_buffer;
  palette_buffer.clear();
  if (bits <= 8) {
    const int count = 1 << bits;
    palette_buffer.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
      const PixkitRgbQuad& q = dib->Info->bmiColors[i];
      palette_buffer.push_back(Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue});
    }
  }
  view.palette = palette_buffer;
  return view;
}

}  // namespace pixkit

using namespace pixkit;

extern "C" {

PIXKIT_API TDibImage newdib(int width, int height, int bit_count, const PixkitBitmapInfo* palette_source,
                            int palette_count) {
  try {
    auto picture = Picture::create(width, height, bit_count, true);
    if (!picture) return empty_record();
    if (bit_count <= 8) {
      picture->palette = default_palette(bit_count);
      const int count = 1 << bit_count;
      if (palette_source) {
        const int take = palette_count < 0 ? 0 : palette_count > count ? count : palette_count;
        for (int i = 0; i < take; ++i) {
          const PixkitRgbQuad& q = palette_source->bmiColors[i];
          picture->palette[size_t(i)] = Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue};
        }
      }
    }
    return record_from_picture(std::move(picture.value()));
  } catch (...) {
    return empty_record();
  }
}

PIXKIT_API void deldib(const TDibImage* dib) {
  // The registry answers before anything the record points at is touched:
  // a record released before (or a copy of one) is not in it any more.
  DibStorage* storage = unregister_storage(dib);
  if (!storage) return;
  if (dib->PaletteHandle) DeletePalette(dib->PaletteHandle);
  delete storage;
}

PIXKIT_API void PixkitSetLimits(int32_t max_side, int64_t max_pixels) { set_limits(max_side, max_pixels); }

}  // extern "C"
