#include "preview_render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/depth_up.h"
#include "image/dib_access.h"
#include "run/log_text.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"
#include "run/text_variables.h"

std::shared_ptr<const SharedDib> CopyWatermark(const TDibImage& record) {
  const int bit_count = DibHoldsPixels(record, 32) ? 32 : 24;
  if (!DibHoldsPixels(record, bit_count)) return nullptr;
  auto shared = std::make_shared<SharedDib>();
  shared->dib = newdib(DibWidth(record), DibHeight(record), bit_count, nullptr, 0);
  if (!shared->dib.Bits) return nullptr;
  std::memcpy(shared->dib.Bits, record.Bits, size_t(record.RowBytes) * size_t(DibHeight(record)));
  return shared;
}

PreviewSource LoadPreviewSource(const std::string& path, const PreviewSource& cached) {
  if (cached.path == path && (cached.picture || !cached.error.empty())) return cached;
  PreviewSource loaded;
  loaded.path = path;
  int reason = PIXKIT_REASON_NONE;
  auto picture = std::make_shared<SharedDib>();
  picture->dib = OpenDibWith(path.c_str(), nullptr, &reason);
  if (!picture->dib.Bits) {
    loaded.error =
        "Die Datei " + LogPathText(path) + " konnte nicht geladen werden! (" + LoadFailureText(reason) + ")";
    return loaded;
  }
  // As the run does: a 32-bit picture is stamped on its colour bytes, any
  // other depth is promoted.
  const int bit_count = DibBitCount(picture->dib);
  if (bit_count == 32) {
    SetAlphaAside(picture->dib);
  } else if (bit_count != 24) {
    DepthUpTo(picture->dib, 24);
  }
  if (!DibHoldsPixels(picture->dib, 24)) {
    loaded.error = "Nicht genügend Arbeitsspeicher";
    return loaded;
  }
  loaded.picture = std::move(picture);
  return loaded;
}

std::shared_ptr<const SharedDib> RenderPreview(const PreviewRequest& request, const PreviewSource& source) {
  if (!source.picture) return nullptr;
  const TDibImage& original = source.picture->dib;
  const int32_t height = DibHeight(original);
  auto stamped = std::make_shared<SharedDib>();
  stamped->dib = newdib(DibWidth(original), height, 24, nullptr, 0);
  TDibImage& work = stamped->dib;
  if (!work.Bits) return nullptr;
  std::memcpy(work.Bits, original.Bits, size_t(original.RowBytes) * size_t(height));

  const WatermarkJob& job = request.job;
  if (job.add_picture && job.watermark != nullptr) StampPicture(work, *job.watermark, job.picture);
  if (job.add_text) {
    if (!job.text.extras.variables) {
      StampText(work, job.text);
    } else {
      // As the run does: the variables are replaced for this source first.
      TextStampSettings text = job.text;
      text.text = ReplaceTextVariables(
          job.text.text, ReadSourceFacts(request.source, request.list_position, DibWidth(original), height,
                                         TextNeedsCaptureFacts(job.text.text)));
      StampText(work, text);
    }
  }
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
