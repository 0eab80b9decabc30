// SPDX-License-Identifier: GPL-3.0-or-later
// How a stamped source is written under the job's export options: which
// sources the run takes at all, the extension and file format of each
// output, and the encoder settings and metadata it is written with. With
// every export option off each answer is the one the run has always given.
#pragma once

#include <string>

#include "pixkit/pixkit.h"
#include "run/export_options.h"
#include "run/job.h"
#include "run/stamp_source.h"

// SourceExtensionRow, and with `more_sources` on the further sources' rows
// (output_formats.h); 0 for a source the run passes over ("übersprungen").
int SourceRowForJob(const std::string& source, const ExportOptions& output);
inline bool SourceRecognisedForJob(const std::string& source, const ExportOptions& output) {
  return SourceRowForJob(source, output) != 0;
}

// The extension of an output, dot included: the chosen format's; under
// kSameAsSource the source's own as spelled, except for a further source
// written in another format (HEIC/HEIF sources become ".jpg").
std::string OutputExtension(ExportFormat format, const std::string& source);

// The PIXKIT_FORMAT_* an output of source is written in.
int OutputFormatCode(const std::string& source, const ExportOptions& output);

// Writes the stamped record to output (a path) in the job's format with its
// encoder settings and metadata; loaded is the source's load (its quality
// when the output's JPEG quality follows the source). call and reason as
// SaveDibWith takes them. A picture with alpha written as JPEG under export
// options is laid on white first. True when the whole file was written.
// A quality (1..100) given replaces the one the job gives a JPEG, WebP or
// AVIF output (file-size targets); 0 keeps it.
bool SaveOutput(const TDibImage& record, const std::string& output, const std::string& source,
                const LoadedSource& loaded, const WatermarkJob& job, const PixkitCallOptions& call,
                int* reason, int quality = 0);

// The quality an output of source is written at when it is JPEG, lossy
// WebP or AVIF; 0 for the other formats, which have none.
int OutputQuality(const std::string& source, const LoadedSource& loaded, const WatermarkJob& job);
