// SPDX-License-Identifier: GPL-3.0-or-later
// The output formats and the further source types, one row each. The run,
// stempora-batch's flags, the job file's and the INI's names, the export
// dialog's list and the open dialog's filter all read these rows, so a new
// format is one row here (and an ExportFormat value) plus its encoder.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "pixkit/pixkit.h"
#include "run/export_options.h"

struct OutputFormatRow {
  ExportFormat format;      // the job's value; rows stand in its order
  int library_code;         // PIXKIT_FORMAT_*; 0 for "wie Quelle"
  const char* extension;    // of its outputs, dot included; "" for "wie Quelle"
  const char* stored_name;  // in the job file's option block and the INI
  const char* flag_name;    // stempora-batch --format
  const char* caption;      // the export dialog's list
};

inline constexpr OutputFormatRow kOutputFormats[] = {
    {ExportFormat::kSameAsSource, 0, "", "SameAsSource", "same", "wie Quelle"},
    {ExportFormat::kJpeg, PIXKIT_FORMAT_JPG, ".jpg", "Jpeg", "jpeg", "JPEG"},
    {ExportFormat::kPng, PIXKIT_FORMAT_PNG, ".png", "Png", "png", "PNG"},
    {ExportFormat::kWebp, PIXKIT_FORMAT_WEBP, ".webp", "Webp", "webp", "WebP"},
    {ExportFormat::kAvif, PIXKIT_FORMAT_AVIF, ".avif", "Avif", "avif", "AVIF"},
    {ExportFormat::kTiff, PIXKIT_FORMAT_TIF, ".tif", "Tiff", "tiff", "TIFF"},
    {ExportFormat::kJpeg2000, PIXKIT_FORMAT_JP2, ".jp2", "Jpeg2000", "jp2", "JPEG 2000"},
};
inline constexpr size_t kOutputFormatCount = std::size(kOutputFormats);

// The row of a format.
constexpr const OutputFormatRow& OutputFormatOf(ExportFormat format) {
  for (const OutputFormatRow& row : kOutputFormats)
    if (row.format == format) return row;
  return kOutputFormats[0];
}

// The stored names in the rows' order, as the option fields take them.
inline constexpr std::array<const char*, kOutputFormatCount> kOutputFormatStoredNames = [] {
  std::array<const char*, kOutputFormatCount> names{};
  for (size_t i = 0; i < kOutputFormatCount; ++i) names[i] = kOutputFormats[i].stored_name;
  return names;
}();

// The types the run takes only with the further sources on ("auch PNG,
// WebP und HEIC bearbeiten", stempora-batch --include), after the rows of
// SourceExtensionRow.
struct FurtherSourceRow {
  int source_row;             // what SourceRowForJob answers
  const char* include_name;   // in stempora-batch --include
  const char* caption;        // in the open dialog's filter
  const char* extensions[2];  // lower case, dot included; the second may be null
  ExportFormat written_as;    // the output format under "wie Quelle"
};

inline constexpr FurtherSourceRow kFurtherSources[] = {
    {13, "png", "PNG", {".png", nullptr}, ExportFormat::kPng},
    {14, "webp", "WebP", {".webp", nullptr}, ExportFormat::kWebp},
    {15, "heic", "HEIC", {".heic", ".heif"}, ExportFormat::kJpeg},  // nothing here writes HEIC
    {16, "avif", "AVIF", {".avif", nullptr}, ExportFormat::kAvif},
};

// The further source row of a lower-case extension; null for none.
constexpr const FurtherSourceRow* FurtherSourceOf(std::string_view lower_extension) {
  for (const FurtherSourceRow& row : kFurtherSources)
    for (const char* extension : row.extensions)
      if (extension != nullptr && lower_extension == extension) return &row;
  return nullptr;
}
