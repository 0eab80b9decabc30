// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/preview_render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/dib_access.h"
#include "image/replace_depth.h"
#include "run/failure_text.h"
#include "run/log_text.h"
#include "run/prepare_source.h"
#include "run/stamp_source.h"

std::shared_ptr<const SharedDib> CopyWatermark(const TDibImage& record) {
  auto shared = std::make_shared<SharedDib>();
  shared->dib = CopyDib(record);
  if (!shared->dib.Bits) return nullptr;
  return shared;
}

PreviewSource LoadPreviewSource(const std::string& path, const ExportOptions& output,
                                const PreviewSource& cached) {
  const bool same_choices = cached.size == output.size && cached.more_sources == output.more_sources &&
                            cached.convert_to_srgb == output.convert_to_srgb;
  if (cached.path == path && same_choices && (cached.picture || !cached.error.empty())) return cached;
  PreviewSource loaded;
  loaded.path = path;
  loaded.size = output.size;
  loaded.more_sources = output.more_sources;
  loaded.convert_to_srgb = output.convert_to_srgb;
  auto picture = std::make_shared<SharedDib>();
  // The size the source has upright, before any shrinking on load.
  int32_t as_loaded_width = 0;
  int32_t as_loaded_height = 0;
  const PreparedSource prepared = PrepareSource(path, nullptr, output, [&](const TDibImage& record) {
    as_loaded_width = DibWidth(record);
    as_loaded_height = DibHeight(record);
  });
  const LoadedSource& opened = prepared.loaded;
  picture->dib = opened.record;
  if (!picture->dib.Bits) {
    loaded.error = LoadFailedText(LogPathText(path), opened.reason);
    return loaded;
  }
  loaded.source_width = opened.stored_width > 0 ? opened.stored_width : as_loaded_width;
  loaded.source_height = opened.stored_height > 0 ? opened.stored_height : as_loaded_height;
  // The preview shows the 24-bit picture the passes stamp: a 32-bit
  // source's alpha is set aside and not brought back.
  if (!DibHoldsPixels(picture->dib, 24) || prepared.out_of_memory) {
    loaded.error = OutOfMemoryText();
    return loaded;
  }
  loaded.picture = std::move(picture);
  return loaded;
}

std::shared_ptr<const SharedDib> RenderPreview(const PreviewRequest& request, const PreviewSource& source) {
  if (!source.picture) return nullptr;
  // The kept source stays as loaded; every render stamps a copy of it.
  auto stamped = std::make_shared<SharedDib>();
  stamped->dib = CopyDib(source.picture->dib);
  if (!stamped->dib.Bits) return nullptr;
  StampSource(stamped->dib, request.job, request.source, request.list_position);
  return stamped;
}

QImage DibToImage(const TDibImage& record) {
  if (!DibHoldsPixels(record, 24)) return QImage();
  const int32_t width = DibWidth(record);
  const int32_t height = DibHeight(record);
  QImage image(width, height, QImage::Format_BGR888);
  if (image.isNull()) return image;
  for (int32_t y = 0; y < height; ++y) std::memcpy(image.scanLine(y), DibRow(record, y), size_t(width) * 3);
  return image;
}

QImage FittedDibImage(const TDibImage& record, const QSize& room) {
  if (!DibHoldsPixels(record, 24)) return QImage();
  const int64_t width = DibWidth(record);
  const int64_t height = DibHeight(record);
  if (room.isEmpty() || (width <= room.width() && height <= room.height())) return DibToImage(record);
  const QSize size = QSize(int(width), int(height)).scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  const int64_t out_width = size.width();
  const int64_t out_height = size.height();
  QImage image(size, QImage::Format_BGR888);
  if (image.isNull()) return image;
  // Column blocks: output column x covers record columns [x0[x], x0[x + 1]).
  std::vector<int64_t> x0(size_t(out_width) + 1);
  for (int64_t x = 0; x <= out_width; ++x) x0[size_t(x)] = x * width / out_width;
  std::vector<uint64_t> sums(size_t(out_width) * 3);
  for (int64_t oy = 0; oy < out_height; ++oy) {
    const int64_t y_begin = oy * height / out_height;
    const int64_t y_end = std::max(y_begin + 1, (oy + 1) * height / out_height);
    std::fill(sums.begin(), sums.end(), uint64_t(0));
    for (int64_t y = y_begin; y < y_end; ++y) {
      const uint8_t* row = DibRow(record, int32_t(y));
      for (int64_t ox = 0; ox < out_width; ++ox) {
        uint64_t* sum = &sums[size_t(3 * ox)];
        const int64_t end = std::max(x0[size_t(ox)] + 1, x0[size_t(ox) + 1]);
        for (int64_t x = x0[size_t(ox)]; x < end; ++x) {
          sum[0] += row[3 * x];
          sum[1] += row[3 * x + 1];
          sum[2] += row[3 * x + 2];
        }
      }
    }
    uint8_t* out = image.scanLine(int(oy));
    const int64_t rows = y_end - y_begin;
    for (int64_t ox = 0; ox < out_width; ++ox) {
      const int64_t count = rows * std::max<int64_t>(1, x0[size_t(ox) + 1] - x0[size_t(ox)]);
      for (int c = 0; c < 3; ++c)
        out[3 * ox + c] = uint8_t((sums[size_t(3 * ox + c)] + uint64_t(count) / 2) / uint64_t(count));
    }
  }
  return image;
}
