// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_rows.h"

#include <cstring>
#include <new>

#include "image/depth_up.h"

namespace {

void send(const SettingsProgress& progress, int percent) {
  if (progress) progress(percent);
}

}  // namespace

int RowProgress(int64_t row, int64_t height) { return height <= 1 ? 100 : int(row * 100 / (height - 1)); }

void WritePictureRows(SettingsOutput& file, const TDibImage& watermark, const SettingsProgress& progress) {
  // The file holds a 24-bit picture only. A picture kept with its alpha
  // channel is stored composed over white, as it loads without the option.
  TDibImage flattened{};
  struct Release {
    TDibImage& record;
    ~Release() { deldib(&record); }
  } release{flattened};
  if (watermark.Info->bmiHeader.biBitCount == 32) {
    flattened = newdib(watermark.Info->bmiHeader.biWidth, watermark.Info->bmiHeader.biHeight, 32, nullptr, 0);
    if (flattened.Bits == nullptr) throw std::bad_alloc();
    std::memcpy(flattened.Bits, watermark.Bits,
                size_t(watermark.RowBytes) * size_t(watermark.Info->bmiHeader.biHeight));
    FlattenOverWhite(flattened);
    // Short of memory the record stays at 32 bits, which the file must not hold.
    if (flattened.Info->bmiHeader.biBitCount != 24) throw std::bad_alloc();
  }
  const TDibImage& picture = flattened.Bits != nullptr ? flattened : watermark;
  file.bytes(&picture.Info->bmiHeader, kPictureHeaderBytes);
  const int64_t height = picture.Info->bmiHeader.biHeight;
  send(progress, 0);
  for (int64_t row = 0; row < height && file.ok(); ++row) {
    send(progress, RowProgress(row, height));
    file.bytes(picture.Bits + row * picture.RowBytes, size_t(picture.RowBytes));
  }
}

TDibImage ReadPictureRows(SettingsInput& file, const SettingsProgress& progress) {
  TDibImage none{};
  uint8_t header[kPictureHeaderBytes];
  if (!file.bytes(header, sizeof header)) return none;
  const int32_t width = LittleEndianI32(header + 4);
  const int32_t height = LittleEndianI32(header + 8);
  const int bit_count = header[14] | header[15] << 8;
  // The picture watermark is always 24 bits; no colour table is stored.
  if (bit_count != 24 || width < 1 || height < 1) return none;
  // Rows are padded to a multiple of 4 bytes. Checked against what is left
  // of the file before anything is allocated.
  const uint64_t row_bytes = (uint64_t(width) * 24 + 31) / 32 * 4;
  if (row_bytes * uint64_t(height) > file.remaining()) return none;

  TDibImage picture = newdib(width, height, 24, nullptr, 0);
  if (picture.Bits == nullptr || uint64_t(picture.RowBytes) != row_bytes) {
    deldib(&picture);
    return none;
  }
  try {
    send(progress, 0);
    for (int64_t row = 0; row < height; ++row) {
      send(progress, RowProgress(row, height));
      if (!file.bytes(picture.Bits + row * picture.RowBytes, size_t(row_bytes))) {
        deldib(&picture);
        return none;
      }
    }
  } catch (...) {
    deldib(&picture);  // whatever the progress receiver throws is its own; the record is ours
    throw;
  }
  return picture;
}
