#include "preview_render.h"

#include <cstring>

#include "image/depth_up.h"
#include "image/dib_access.h"
#include "run/log_text.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"

std::shared_ptr<const SharedDib> CopyWatermark(const TDibImage& record) {
  if (!DibHoldsPixels(record, 24)) return nullptr;
  TDibImage copy = newdib(DibWidth(record), DibHeight(record), 24, nullptr, 0);
  if (!copy.Bits) return nullptr;
  auto shared = std::make_shared<const SharedDib>(copy);
  std::memcpy(copy.Bits, record.Bits, size_t(record.RowBytes) * size_t(DibHeight(record)));
  return shared;
}

PreviewSource LoadPreviewSource(const std::string& path, const PreviewSource& cached) {
  if (cached.path == path && (cached.picture || !cached.error.empty())) return cached;
  PreviewSource loaded;
  loaded.path = path;
  int reason = PIXKIT_REASON_NONE;
  TDibImage record = OpenDibWith(path.c_str(), nullptr, &reason);
  auto picture = std::make_shared<SharedDib>(record);
  if (!record.Bits) {
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

QImage RenderPreview(const PreviewRequest& request, const PreviewSource& source) {
  if (!source.picture) return QImage();
  const TDibImage& original = source.picture->dib;
  const int32_t width = DibWidth(original);
  const int32_t height = DibHeight(original);
  TDibImage work = newdib(width, height, 24, nullptr, 0);
  SharedDib release(work);
  if (!work.Bits) return QImage();
  std::memcpy(work.Bits, original.Bits, size_t(original.RowBytes) * size_t(height));

  const WatermarkJob& job = request.job;
  if (job.add_picture && job.watermark != nullptr) StampPicture(work, *job.watermark, job.picture);
  if (job.add_text) StampText(work, job.text);

  QImage image(width, height, QImage::Format_BGR888);
  if (image.isNull()) return image;
  for (int32_t y = 0; y < height; ++y) std::memcpy(image.scanLine(y), DibRow(work, y), size_t(width) * 3);
  return image;
}
