// SPDX-License-Identifier: LGPL-2.1-or-later
#include "format_sniff.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "codecs.h"
#include "codecs/pcx/pcx_format.h"

namespace pixkit {
namespace {

bool starts_with(ByteSpan file, const void* magic, size_t n) {
  return file.size() >= n && std::memcmp(file.data(), magic, n) == 0;
}

}  // namespace

FileFormat sniff_format(const RangeSource& source) {
  // Every signature and the PCX header lie in the first 128 bytes.
  std::array<uint8_t, pcx::kHeaderSize> head_bytes;
  const size_t head_size = size_t(std::min<uint64_t>(source.size(), head_bytes.size()));
  if (!source.read(0, head_bytes.data(), head_size)) return FileFormat::Unknown;
  const ByteSpan file(head_bytes.data(), head_size);

  static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static const uint8_t kJp2[] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
  static const uint8_t kJ2k[] = {0xFF, 0x4F, 0xFF, 0x51};
  static const uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
  static const uint8_t kTiffLe[] = {'I', 'I', 42, 0};
  static const uint8_t kTiffBe[] = {'M', 'M', 0, 42};
  static const uint8_t kBigTiffLe[] = {'I', 'I', 43, 0};
  static const uint8_t kBigTiffBe[] = {'M', 'M', 0, 43};

  if (starts_with(file, "BM", 2)) return FileFormat::Bmp;
  if (starts_with(file, "GIF87a", 6) || starts_with(file, "GIF89a", 6)) return FileFormat::Gif;
  if (starts_with(file, kJpeg, sizeof kJpeg)) return FileFormat::Jpeg;
  if (starts_with(file, kPng, sizeof kPng)) return FileFormat::Png;
  if (starts_with(file, kJp2, sizeof kJp2) || starts_with(file, kJ2k, sizeof kJ2k)) return FileFormat::Jp2;
  if (starts_with(file, kTiffLe, 4) || starts_with(file, kTiffBe, 4) || starts_with(file, kBigTiffLe, 4) ||
      starts_with(file, kBigTiffBe, 4))
    return FileFormat::Tiff;
  if (file.size() >= 12 && std::memcmp(file.data(), "FORM", 4) == 0 &&
      (std::memcmp(file.data() + 8, "ILBM", 4) == 0 || std::memcmp(file.data() + 8, "PBM ", 4) == 0))
    return FileFormat::Ilbm;
  if (looks_like_pcx(file)) return FileFormat::Pcx;
  if (looks_like_tga(source)) return FileFormat::Tga;
  return FileFormat::Unknown;
}

FileFormat sniff_more_formats(const RangeSource& source) {
  std::array<uint8_t, 64> head_bytes;
  const size_t head_size = size_t(std::min<uint64_t>(source.size(), head_bytes.size()));
  if (!source.read(0, head_bytes.data(), head_size)) return FileFormat::Unknown;
  const ByteSpan file(head_bytes.data(), head_size);
  if (file.size() >= 12 && starts_with(file, "RIFF", 4) && std::memcmp(file.data() + 8, "WEBP", 4) == 0)
    return FileFormat::Webp;
  if (file.size() < 16 || std::memcmp(file.data() + 4, "ftyp", 4) != 0) return FileFormat::Unknown;
  // The box's own size bounds the brands read: major brand, minor version,
  // then compatible brands.
  const size_t box = (size_t(file[0]) << 24) | (size_t(file[1]) << 16) | (size_t(file[2]) << 8) | file[3];
  const size_t end = std::min(box, file.size());
  static const char* const kAvifBrands[] = {"avif", "avis"};
  static const char* const kHeifBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"};
  bool heif = false;
  for (size_t at = 8; at + 4 <= end; at += 4) {
    if (at == 12) continue;  // the minor version
    for (const char* brand : kAvifBrands)
      if (std::memcmp(file.data() + at, brand, 4) == 0) return FileFormat::Avif;
    for (const char* brand : kHeifBrands)
      if (std::memcmp(file.data() + at, brand, 4) == 0) heif = true;
  }
  return heif ? FileFormat::Heif : FileFormat::Unknown;
}

}  // namespace pixkit
