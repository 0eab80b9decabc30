// SPDX-License-Identifier: LGPL-2.1-or-later
// When and with what a photo was taken, as its EXIF fields say: the
// DateTimeOriginal of the Exif directory and IFD0's Make and Model, from a
// JPEG's APP1 "Exif" block or from a TIFF file's own directories.
//
// The walk reads only the directories and the few short values it needs,
// through a source that refuses every read past its end, so a TIFF file of
// any size is never read whole. A field that does not hold together counts
// as absent; nothing here fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/range_source.h"

namespace pixkit {

// Longest Make or Model kept, in bytes; longer values are cut at a
// character boundary.
inline constexpr size_t kMaxCameraNameBytes = 63;

struct CaptureFields {
  bool has_time = false;  // a DateTimeOriginal that names a real date and time
  int year = 0;           // 1..9999
  int month = 0;          // 1..12
  int day = 0;            // 1..last day of the month
  int hour = 0;           // 0..23
  int minute = 0;         // 0..59
  int second = 0;         // 0..60 (a leap second)
  std::string make;       // UTF-8, blanks trimmed; empty when absent
  std::string model;
};

// The fields of a JPEG (found by its SOI marker) or a TIFF file (by its
// byte-order header); anything else has none.
CaptureFields read_capture_fields(const RangeSource& file);

// "YYYY:MM:DD HH:MM:SS" as EXIF writes it; false for blanks, zeros or a
// date that does not exist.
bool parse_exif_date_time(const char* text, size_t size, CaptureFields& fields);

}  // namespace pixkit
