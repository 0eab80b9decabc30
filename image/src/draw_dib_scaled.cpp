// SPDX-License-Identifier: GPL-3.0-or-later
// Scaled drawing of image records. The 24- and 8-bit scalers keep one
// output row (the destination's width) whatever the destination's height,
// compute the column mapping once, and hand a row that repeats the row
// before to the painter again without copying pixels: enlarging costs one
// row copy per source row, not per output row.
#include "image/draw_dib_scaled.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <vector>

#include "image/dib_access.h"

namespace {

bool has_pixels(const TDibImage& image) {
  return image.Info != nullptr && image.Bits != nullptr && DibWidth(image) > 0 && DibHeight(image) > 0;
}

// Releases a temporary record on every way out.
struct OwnedLine {
  TDibImage record;
  ~OwnedLine() { deldib(&record); }
};

template <int kBytesPerPixel>
int32_t scale_rows(const DibRowSink& sink, int32_t dest_x, int32_t dest_y, int32_t dest_width,
                   int32_t dest_height, const TDibImage& image, int32_t src_x, int32_t rows_above,
                   int32_t src_width, int32_t src_height) {
  if (dest_width <= 0 || dest_height <= 0 || !has_pixels(image)) return 0;
  const OwnedLine line{kBytesPerPixel == 3 ? newdib(dest_width, 1, 24, nullptr, 0)
                                           : newdib(dest_width, 1, 8, image.Info, 256)};
  if (line.record.Bits == nullptr) return 0;

  const int32_t image_width = DibWidth(image);
  const int32_t image_height = DibHeight(image);
  // Column i samples source column src_x + src_width * i / dest_width.
  // Products in 64 bits: a wide source times a wide destination passes 2^31.
  std::vector<int32_t> column(size_t(dest_width), 0);
  int32_t first = -1, last = -1;
  for (int32_t i = 0; i < dest_width; ++i) {
    const int64_t c = int64_t(src_x) + int64_t(src_width) * i / dest_width;
    if (c >= 0 && c < image_width) {
      column[size_t(i)] = int32_t(c);
      if (first < 0) first = i;
      last = i;
    }
  }

  const int64_t max_offset = int64_t(image_height - 1) * image.RowBytes;
  int64_t previous = -1;
  int32_t rows_built = 0;
  uint8_t* out = line.record.Bits;
  for (int32_t k = 0; k < dest_height; ++k) {
    const int64_t row = int64_t(image_height) - 1 - rows_above - int64_t(src_height) * k / dest_height;
    const int64_t offset = row * image.RowBytes;
    if (offset < 0 || offset > max_offset) {
      std::memset(out, 0, size_t(line.record.RowBytes));
      ++rows_built;
    } else if (offset != previous) {
      const uint8_t* in = image.Bits + offset;
      for (int32_t i = first; i >= 0 && i <= last; ++i) {
        const int32_t c = column[size_t(i)];
        if (c < 0 || c >= image_width) continue;  // a column between two inside ones cannot be outside
        std::memcpy(out + int64_t(i) * kBytesPerPixel, in + int64_t(c) * kBytesPerPixel, kBytesPerPixel);
      }
      previous = offset;
      ++rows_built;
    }
    sink(dest_x, dest_y + k, line.record);
  }
  return rows_built;
}

QImage row_image(const TDibImage& line) {
  const int32_t width = DibWidth(line);
  if (DibBitCount(line) == 24) return QImage(line.Bits, width, 1, line.RowBytes, QImage::Format_BGR888);
  QImage image(line.Bits, width, 1, line.RowBytes, QImage::Format_Indexed8);
  QList<QRgb> colours(256);
  for (int i = 0; i < 256; ++i) {
    const PixkitRgbQuad& q = line.Info->bmiColors[i];
    colours[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  image.setColorTable(colours);
  return image;
}

// Other depths: the source rectangle's part inside the image is read
// pixel by pixel and stretched by Qt, nearest neighbour.
void draw_through_qt(QPainter& painter, const QRect& dest, const TDibImage& image, int32_t src_x,
                     int32_t src_y, int32_t src_width, int32_t src_height) {
  if (src_width <= 0 || src_height <= 0) return;
  const int32_t top = DibHeight(image) - src_y - src_height;
  const QRect source(src_x, top, src_width, src_height);
  const QRect inside = source.intersected(QRect(0, 0, DibWidth(image), DibHeight(image)));
  if (inside.isEmpty()) return;
  QImage copy(inside.size(), QImage::Format_RGB32);
  if (copy.isNull()) return;
  const int bits = DibBitCount(image);
  for (int y = 0; y < inside.height(); ++y) {
    auto* out = reinterpret_cast<QRgb*>(copy.scanLine(y));
    for (int x = 0; x < inside.width(); ++x) {
      const uint32_t value = getpixel(&image, inside.x() + x, inside.y() + y);
      if (bits <= 8) {
        const PixkitRgbQuad& q = image.Info->bmiColors[value & 0xFF];
        out[x] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
      } else {
        out[x] = qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
      }
    }
  }
  // The destination part that the inside part maps to.
  const double sx = double(dest.width()) / src_width;
  const double sy = double(dest.height()) / src_height;
  const QRectF target(dest.x() + (inside.x() - source.x()) * sx, dest.y() + (inside.y() - source.y()) * sy,
                      inside.width() * sx, inside.height() * sy);
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, copy);
  painter.restore();
}

}  // namespace

int32_t ScaleRows24(const DibRowSink& sink, int32_t dest_x, int32_t dest_y, int32_t dest_width,
                    int32_t dest_height, const TDibImage& image, int32_t src_x, int32_t rows_above,
                    int32_t src_width, int32_t src_height) {
  if (!DibHoldsPixels(image, 24)) return 0;
  return scale_rows<3>(sink, dest_x, dest_y, dest_width, dest_height, image, src_x, rows_above, src_width,
                       src_height);
}

int32_t ScaleRows8(const DibRowSink& sink, int32_t dest_x, int32_t dest_y, int32_t dest_width,
                   int32_t dest_height, const TDibImage& image, int32_t src_x, int32_t rows_above,
                   int32_t src_width, int32_t src_height) {
  if (!DibHoldsPixels(image, 8)) return 0;
  return scale_rows<1>(sink, dest_x, dest_y, dest_width, dest_height, image, src_x, rows_above, src_width,
                       src_height);
}

void DrawDibScaled(QPainter& painter, int32_t dest_x, int32_t dest_y, int32_t dest_width, int32_t dest_height,
                   const TDibImage& image, int32_t src_x, int32_t src_y, int32_t src_width,
                   int32_t src_height) {
  if (!has_pixels(image) || dest_width <= 0 || dest_height <= 0) return;
  const DibRowSink to_painter = [&painter](int32_t x, int32_t y, const TDibImage& line) {
    painter.drawImage(QPoint(x, y), row_image(line));
  };
  const int32_t rows_above =
      int32_t(std::clamp<int64_t>(int64_t(DibHeight(image)) - src_y - src_height, INT32_MIN, INT32_MAX));
  switch (DibBitCount(image)) {
    case 24:
      ScaleRows24(to_painter, dest_x, dest_y, dest_width, dest_height, image, src_x, rows_above, src_width,
                  src_height);
      break;
    case 8:
      ScaleRows8(to_painter, dest_x, dest_y, dest_width, dest_height, image, src_x, rows_above, src_width,
                 src_height);
      break;
    default:
      draw_through_qt(painter, QRect(dest_x, dest_y, dest_width, dest_height), image, src_x, src_y, src_width,
                      src_height);
  }
}
