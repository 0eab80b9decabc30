// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/prepare_source.h"

#include <utility>

#include "image/convert_to_srgb.h"
#include "image/dib_access.h"
#include "image/resize_lanczos.h"
#include "image/sharpen_lightness.h"
#include "run/export_size.h"

namespace {

// The decoder asks once it knows the size: at least the output's size.
void fit_to_export_size(void* owner, int32_t width, int32_t height, int32_t* min_width, int32_t* min_height) {
  const PixelSize target = ExportPixelSize(*static_cast<const ExportSize*>(owner), width, height);
  *min_width = target.width;
  *min_height = target.height;
}

const SharpenStrength& sharpen_strength(ExportSharpen level) {
  switch (level) {
    case ExportSharpen::kLow:
      return kSharpenLow;
    case ExportSharpen::kHigh:
      return kSharpenHigh;
    case ExportSharpen::kNone:
    case ExportSharpen::kStandard:
      break;
  }
  return kSharpenStandard;
}

}  // namespace

LoadedSource LoadSource(const std::string& path, const PixkitCallOptions* options) {
  LoadedSource loaded;
  loaded.record = OpenDibWith(path.c_str(), options, &loaded.reason);
  return loaded;
}

LoadedSource LoadSource(const std::string& path, const PixkitCallOptions* options,
                        const ExportOptions& output) {
  if (!output.any()) return LoadSource(path, options);
  PixkitLoadSettings settings = PixkitLoadSettingsInit();
  settings.more_formats = output.more_sources ? 1 : 0;
  if (output.size.mode != ExportSizeMode::kNone) {
    settings.fit = fit_to_export_size;
    settings.fit_owner = const_cast<ExportSize*>(&output.size);
  }
  LoadedSource loaded;
  loaded.record = OpenDibAs(path.c_str(), &settings, options, &loaded.reason);
  loaded.stored_width = settings.source_width;
  loaded.stored_height = settings.source_height;
  loaded.content_format = settings.source_format;
  loaded.jpeg_quality = settings.source_jpeg_quality;
  loaded.jpeg_chroma = settings.source_jpeg_chroma;
  return loaded;
}

bool FitForOutput(TDibImage& record, SourceDepth& depth, const LoadedSource& loaded,
                  const ExportOptions& output) {
  if (output.size.mode != ExportSizeMode::kNone) {
    const int32_t width = loaded.stored_width > 0 ? loaded.stored_width : DibWidth(record);
    const int32_t height = loaded.stored_height > 0 ? loaded.stored_height : DibHeight(record);
    const PixelSize target = ExportPixelSize(output.size, width, height);
    if (target.width != DibWidth(record) || target.height != DibHeight(record)) {
      if (!ResizeAlphaPlane(depth.alpha, target.width, target.height)) return false;
      if (!ResizeDib(record, target.width, target.height)) return false;
    }
  }
  // After the resize, whose averaging softens what the mask restores; a
  // record at another depth (none reaches here) is left as it is.
  if (output.sharpen != ExportSharpen::kNone && DibBitCount(record) == 24 &&
      !SharpenLightness(record, sharpen_strength(output.sharpen)))
    return false;
  if (output.convert_to_srgb) ConvertToSrgb(record);
  return true;
}

SourceDepth BringTo24Bits(TDibImage& record) {
  SourceDepth depth;
  depth.bit_count = DibBitCount(record);
  if (depth.bit_count == 32) {
    depth.alpha = SetAlphaAside(record);
  } else if (depth.bit_count != 24) {
    DepthUpTo(record, 24);
  }
  return depth;
}

PreparedSource PrepareSource(const std::string& path, const PixkitCallOptions* options,
                             const ExportOptions& output,
                             const std::function<void(const TDibImage& loaded)>& on_loaded) {
  PreparedSource prepared;
  prepared.loaded = LoadSource(path, options, output);
  TDibImage& record = prepared.loaded.record;
  if (record.Bits == nullptr) return prepared;
  // The record is the caller's once this returns; an error on the way
  // must not leave it behind.
  try {
    if (on_loaded) on_loaded(record);
    prepared.depth = BringTo24Bits(record);
    // Only an export writes profiles it did not write before; the plain
    // run's outputs stay as they have always been.
    if (output.any()) prepared.profile_dropped = DropUnusableIccProfile(record);
    prepared.out_of_memory = !FitForOutput(record, prepared.depth, prepared.loaded, output);
  } catch (...) {
    deldib(&record);
    throw;
  }
  return prepared;
}
