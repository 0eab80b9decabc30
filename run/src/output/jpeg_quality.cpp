// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/jpeg_quality.h"

JpegQualitySetting JpegQualityFallback(const ExportOptions& output) {
  return output.format == ExportFormat::kJpeg ? JpegQualitySetting::kExport : JpegQualitySetting::kJob;
}

JpegQualitySetting JpegQualityFrom(const ExportOptions& output) {
  return output.jpeg.quality_from_source ? JpegQualitySetting::kSource : JpegQualityFallback(output);
}

int AppliedJpegQuality(int job_quality, const ExportOptions& output, int source_estimate) {
  if (JpegQualityFrom(output) == JpegQualitySetting::kSource && source_estimate > 0) return source_estimate;
  return JpegQualityFallback(output) == JpegQualitySetting::kExport ? output.jpeg.quality : job_quality;
}
