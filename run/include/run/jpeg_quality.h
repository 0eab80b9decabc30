// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the job's settings gives a JPEG output its quality. Three
// settings can: the quality box on the "Dateien verarbeiten" page (the
// job's, what the run has always used), the export's own JPEG quality
// (only when JPEG is the chosen output format) and "Qualität wie Quelle"
// (the source's estimated quality, when the source is a JPEG whose tables
// tell it). The run, stempora-batch and the export dialog all ask here.
#pragma once

#include "run/export_options.h"

enum class JpegQualitySetting : uint8_t {
  kJob = 0,     // the job's quality (page 4, stempora-batch --quality)
  kExport = 1,  // the export's JPEG quality, format "JPEG"
  kSource = 2,  // the source's own, falling back to one of the two above
};

// The setting that applies to JPEG outputs under these export options.
JpegQualitySetting JpegQualityFrom(const ExportOptions& output);

// The setting that applies when the source's quality is not known (not a
// JPEG, or tables that tell nothing): kJob or kExport.
JpegQualitySetting JpegQualityFallback(const ExportOptions& output);

// The quality a JPEG output is written at: source_estimate is the
// source's estimated quality (0: none).
int AppliedJpegQuality(int job_quality, const ExportOptions& output, int source_estimate);
