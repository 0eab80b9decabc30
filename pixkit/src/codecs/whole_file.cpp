// SPDX-License-Identifier: LGPL-2.1-or-later
#include "whole_file.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/picture.h"

namespace pixkit {
namespace {

// Compressed files of this size hold far more pixels than the limits
// allow; a larger one is refused before it is read.
constexpr uint64_t kMaxWholeFile = uint64_t(512) << 20;

bool tiff_header_at(const uint8_t* p, size_t left) {
  if (left < 8) return false;
  return (p[0] == 'I' && p[1] == 'I' && p[2] == 42 && p[3] == 0) ||
         (p[0] == 'M' && p[1] == 'M' && p[2] == 0 && p[3] == 42);
}

}  // namespace

Result<std::vector<uint8_t>> read_whole_file(const RangeSource& file) {
  if (file.size() > kMaxWholeFile) return fail_too_large("file too large to decode");
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(size_t(file.size()));
  } catch (const std::bad_alloc&) {
    return fail_too_large("out of memory");
  }
  if (!bytes.empty() && !file.read(0, bytes.data(), bytes.size())) return fail("file truncated");
  return bytes;
}

std::vector<uint8_t> exif_tiff_part(const uint8_t* data, size_t size) {
  if (data == nullptr) return {};
  if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
    data += 6;
    size -= 6;
  }
  if (tiff_header_at(data, size)) return std::vector<uint8_t>(data, data + size);
  if (size >= 4) {
    const uint64_t offset =
        (uint64_t(data[0]) << 24) | (uint64_t(data[1]) << 16) | (uint64_t(data[2]) << 8) | data[3];
    if (offset <= size - 4 && tiff_header_at(data + 4 + offset, size_t(size - 4 - offset)))
      return std::vector<uint8_t>(data + 4 + offset, data + size);
  }
  return {};
}

void flip_rows(Picture& picture) {
  const size_t bytes = size_t(picture.row_bytes());
  for (int32_t top = 0, bottom = picture.height() - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(picture.row(top), picture.row(top) + bytes, picture.row(bottom));
}

}  // namespace pixkit
