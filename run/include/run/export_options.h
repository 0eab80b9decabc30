// SPDX-License-Identifier: GPL-3.0-or-later
// How a stamped picture leaves the run: its size, file format and encoder
// settings, where it goes and under which name, what happens when that
// name is taken, and which metadata and colour it carries. Every choice is
// off by default; with all of them off an output is exactly what the run
// has always written: the source's size and format, the job's JPEG quality,
// the subfolder beside the source, the source's own name, replaced when it
// exists, metadata and colour profile kept.
#pragma once

#include <cstdint>
#include <string>

// Fitting the picture before it is stamped, so that placement, margins and
// relative sizes apply to the picture as written.
enum class ExportSizeMode : uint8_t {
  kNone = 0,        // the source's own size
  kLongEdge = 1,    // the longer side becomes `edge`
  kShortEdge = 2,   // the shorter side becomes `edge`
  kWidth = 3,       // the width becomes `edge`
  kHeight = 4,      // the height becomes `edge`
  kBox = 5,         // fits inside `box_width` x `box_height`
  kPercent = 6,     // both sides scaled by `percent`
  kMegapixels = 7,  // about `megapixels` million pixels
};

struct ExportSize {
  ExportSizeMode mode = ExportSizeMode::kNone;
  int32_t edge = 2048;
  int32_t box_width = 1920;
  int32_t box_height = 1080;
  double percent = 50;
  double megapixels = 2;
  bool enlarge = false;  // off: a picture already small enough keeps its size
  bool operator==(const ExportSize&) const = default;
};

// Sharpening after the resize, on the lightness, before the marks are
// stamped so the marks stay as crisp as drawn (image/sharpen_lightness.h
// holds the levels' parameters).
enum class ExportSharpen : uint8_t {
  kNone = 0,
  kLow = 1,
  kStandard = 2,  // a step edge overshoots by at most 30 % of the step
  kHigh = 3,
};

enum class ExportFormat : uint8_t {
  kSameAsSource = 0,  // "wie Quelle": the source's own format
  kJpeg = 1,
  kPng = 2,
  kWebp = 3,
  kAvif = 4,
  kTiff = 5,
  kJpeg2000 = 6,
};

enum class ChromaSubsampling : uint8_t {
  kLibraryDefault = 0,  // what the run has always written (4:2:0)
  k444 = 1,
  k422 = 2,
  k420 = 3,
  kSameAsSource = 4,  // a JPEG source's own sampling; the library's default for other sources
};

struct JpegExportSettings {
  int quality = 85;                  // 1..100; used when the format is kJpeg
  bool quality_from_source = false;  // estimated from the source's quantisation tables
  // Under quality_from_source kLibraryDefault means kSameAsSource: a 4:4:4
  // source written "wie Quelle" stays 4:4:4.
  ChromaSubsampling chroma = ChromaSubsampling::kLibraryDefault;
  bool progressive = false;
  bool optimize_huffman = false;
  bool operator==(const JpegExportSettings&) const = default;
};

struct PngExportSettings {
  int compression = 6;  // 0..9
  bool operator==(const PngExportSettings&) const = default;
};

struct WebpExportSettings {
  int quality = 85;  // 0..100
  bool lossless = false;
  bool operator==(const WebpExportSettings&) const = default;
};

struct AvifExportSettings {
  int quality = 60;  // 0..100
  int speed = 6;     // 0 (slowest, smallest) .. 10
  bool operator==(const AvifExportSettings&) const = default;
};

enum class ExportTarget : uint8_t {
  kSubfolder = 0,     // the job's subfolder beside each source
  kTargetFolder = 1,  // `target_folder`, mirroring the sources' folders below their common parent
};

enum class IfOutputExists : uint8_t {
  kReplace = 0,
  kSkip = 1,    // "vorhanden, übersprungen"
  kRename = 2,  // a free name with " (2)", " (3)", ...
};

enum class MetadataPolicy : uint8_t {
  kAll = 0,
  kWithoutGpsAndSerials = 1,
  kNone = 2,
};

struct ExportOptions {
  ExportSize size;
  ExportSharpen sharpen = ExportSharpen::kNone;
  ExportFormat format = ExportFormat::kSameAsSource;
  JpegExportSettings jpeg;
  PngExportSettings png;
  WebpExportSettings webp;
  AvifExportSettings avif;
  bool more_sources = false;  // "auch PNG, WebP, HEIC und AVIF bearbeiten"
  ExportTarget target = ExportTarget::kSubfolder;
  std::string target_folder;
  std::string name_pattern;  // empty: the source's own name; else e.g. "Hochzeit-{Nr:4}"
  IfOutputExists if_exists = IfOutputExists::kReplace;
  MetadataPolicy metadata = MetadataPolicy::kAll;
  bool convert_to_srgb = false;
  // JPEG sources written as JPEG of the same size: the 8 x 8 blocks the
  // mark does not touch are copied, not decoded and encoded again.
  bool keep_jpeg_blocks = false;
  // JPEG, lossy WebP and AVIF outputs: the highest quality, up to the one
  // that would apply anyway, whose file holds at most this many bytes.
  // 0: no cap.
  int32_t max_file_size = 0;

  bool operator==(const ExportOptions&) const = default;
  bool any() const { return *this != ExportOptions{}; }
};
