// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/export_size.h"

#include <algorithm>
#include <cmath>

namespace {

// The largest side any reader or writer of the library takes.
constexpr double kMaxSide = 32768;

int32_t scaled(int32_t side, double scale) {
  return int32_t(std::clamp<double>(std::lround(side * scale), 1, kMaxSide));
}

// The factor the mode asks for; 0 when its value makes no sense.
double scale_of(const ExportSize& size, double width, double height) {
  switch (size.mode) {
    case ExportSizeMode::kNone:
      return 0;
    case ExportSizeMode::kLongEdge:
      return size.edge / std::max(width, height);
    case ExportSizeMode::kShortEdge:
      return size.edge / std::min(width, height);
    case ExportSizeMode::kWidth:
      return size.edge / width;
    case ExportSizeMode::kHeight:
      return size.edge / height;
    case ExportSizeMode::kBox:
      if (size.box_width <= 0 || size.box_height <= 0) return 0;
      return std::min(size.box_width / width, size.box_height / height);
    case ExportSizeMode::kPercent:
      return size.percent / 100.0;
    case ExportSizeMode::kMegapixels:
      return size.megapixels > 0 ? std::sqrt(size.megapixels * 1e6 / (width * height)) : 0;
  }
  return 0;
}

}  // namespace

PixelSize ExportPixelSize(const ExportSize& size, int32_t width, int32_t height) {
  const PixelSize same{width, height};
  if (width < 1 || height < 1) return same;
  double scale = scale_of(size, width, height);
  if (!(scale > 0) || !std::isfinite(scale)) return same;
  if (scale >= 1 && !size.enlarge) return same;
  scale = std::min(scale, kMaxSide / std::max(width, height));
  PixelSize fitted{scaled(width, scale), scaled(height, scale)};
  // The side the user typed comes out exactly, whatever the rounding.
  const bool wide = width >= height;
  const int32_t edge = int32_t(std::min<double>(size.edge, kMaxSide));
  switch (size.mode) {
    case ExportSizeMode::kLongEdge:
      (wide ? fitted.width : fitted.height) = edge;
      break;
    case ExportSizeMode::kShortEdge:
      (wide ? fitted.height : fitted.width) = edge;
      break;
    case ExportSizeMode::kWidth:
      fitted.width = edge;
      break;
    case ExportSizeMode::kHeight:
      fitted.height = edge;
      break;
    case ExportSizeMode::kBox:
      fitted.width = std::min(fitted.width, size.box_width);
      fitted.height = std::min(fitted.height, size.box_height);
      break;
    default:
      break;
  }
  return fitted;
}
