// SPDX-License-Identifier: GPL-3.0-or-later
// The picture the preview shows: one source stamped with the window's
// current settings, exactly as the run would stamp it, as a QImage. Made on
// a worker thread; the loaded source is kept between renders so that a
// changed setting costs only the stamping.
#pragma once

#include <QImage>
#include <memory>
#include <string>

#include "run/job.h"

// A picture record owned by a shared pointer, released with it.
struct SharedDib {
  TDibImage dib{};
  SharedDib() = default;
  explicit SharedDib(TDibImage record) : dib(record) {}
  ~SharedDib() { deldib(&dib); }
  SharedDib(const SharedDib&) = delete;
  SharedDib& operator=(const SharedDib&) = delete;
};

// A copy of a 24- or 32-bit record the caller may release at once; null
// without pixels or memory.
std::shared_ptr<const SharedDib> CopyWatermark(const TDibImage& record);

// One render's input: the job as the run would get it (its watermark
// points into `watermark`, which keeps it alive) and the source to show.
struct PreviewRequest {
  WatermarkJob job;
  std::shared_ptr<const SharedDib> watermark;
  std::string source;  // as opened
  int list_position = 1;
};

// The source as loaded and brought to 24 bits, kept across renders.
struct PreviewSource {
  std::string path;
  // What of the job's output choices the picture was loaded and fitted for:
  // its size, the further source types and the colour conversion.
  ExportSize size;
  bool more_sources = false;
  bool convert_to_srgb = false;
  std::shared_ptr<const SharedDib> picture;  // null: it could not be loaded
  int32_t source_width = 0;                  // before it was fitted to the output size
  int32_t source_height = 0;
  std::string error;  // why, in German
};

// Loads path and fits it to the output as the run does, unless `cached`
// already holds it for the same output choices.
PreviewSource LoadPreviewSource(const std::string& path, const ExportOptions& output,
                                const PreviewSource& cached);

// The source stamped as the run stamps it; null for a source that could not
// be loaded or without memory.
std::shared_ptr<const SharedDib> RenderPreview(const PreviewRequest& request, const PreviewSource& source);

// A 24-bit record as a QImage, pixel for pixel; null without pixels.
QImage DibToImage(const TDibImage& record);

// A 24-bit record fitted into room (aspect kept, never enlarged): each
// pixel the mean of the block of record pixels it covers, which for a
// large reduction looks like the smooth scaling and costs one pass.
QImage FittedDibImage(const TDibImage& record, const QSize& room);
