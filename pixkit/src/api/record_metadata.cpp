// SPDX-License-Identifier: LGPL-2.1-or-later
// The metadata a record carries from its load to its save, for callers that
// make a new record from an old one (a resize) or change its colours (a
// conversion to sRGB).
#include <new>

#include "core/live_storage.h"
#include "core/record_storage.h"

using namespace pixkit;

extern "C" {

PIXKIT_API int PixkitCopyMetadata(const TDibImage* from, const TDibImage* to) {
  const DibStorage* source = live_storage_of(from);
  DibStorage* target = live_storage_of(to);
  if (!source || !target) return 0;
  if (source == target) return 1;
  try {
    Metadata copy = source->metadata;
    target->metadata.exif = std::move(copy.exif);
    target->metadata.icc = std::move(copy.icc);
    target->metadata.jpeg_segments = std::move(copy.jpeg_segments);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

PIXKIT_API int PixkitGetIccProfile(const TDibImage* dib, const uint8_t** profile, size_t* size) {
  if (profile) *profile = nullptr;
  if (size) *size = 0;
  const DibStorage* storage = live_storage_of(dib);
  if (!storage || storage->metadata.icc.empty()) return 0;
  if (profile) *profile = storage->metadata.icc.data();
  if (size) *size = storage->metadata.icc.size();
  return 1;
}

PIXKIT_API int PixkitSetIccProfile(const TDibImage* dib, const uint8_t* profile, size_t size) {
  DibStorage* storage = live_storage_of(dib);
  if (!storage || (size > 0 && profile == nullptr)) return 0;
  try {
    storage->metadata.icc.assign(profile, profile + size);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

}  // extern "C"
