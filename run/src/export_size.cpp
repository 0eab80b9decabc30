// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/export_size.h"

#include <algorithm>
#include <cmath>

namespace {

// Far beyond any picture the library reads; keeps the products below
// from overflowing when a percentage enlarges.
constexpr double kLargestSide = 1 << 20;

int64_t scaled_side(int64_t side, double scale) {
  return int64_t(std::clamp(std::llround(double(side) * scale), 1LL, (long long)kLargestSide));
}

// The side scaled to exactly length, the other by the same factor.
FittedSize fit_side(int64_t side, int64_t other, double length, bool side_is_width) {
  const double scale = length / double(side);
  const int64_t fitted = scaled_side(side, scale);
  const int64_t fitted_other = scaled_side(other, scale);
  return side_is_width ? FittedSize{fitted, fitted_other} : FittedSize{fitted_other, fitted};
}

bool usable(double value) { return std::isfinite(value) && value > 0; }

}  // namespace

FittedSize OutputSize(int64_t width, int64_t height, const ExportSize& size) {
  const FittedSize unchanged{width, height};
  if (width < 1 || height < 1) return unchanged;
  const bool wide = width >= height;
  FittedSize fitted = unchanged;
  double scale = 1;
  switch (size.mode) {
    case ExportSizeMode::kNone:
      return unchanged;
    case ExportSizeMode::kLongEdge:
    case ExportSizeMode::kShortEdge:
    case ExportSizeMode::kWidth:
    case ExportSizeMode::kHeight: {
      if (size.edge < 1) return unchanged;
      bool by_width = size.mode == ExportSizeMode::kWidth;
      if (size.mode == ExportSizeMode::kLongEdge) by_width = wide;
      if (size.mode == ExportSizeMode::kShortEdge) by_width = !wide;
      scale = double(size.edge) / double(by_width ? width : height);
      fitted =
          by_width ? fit_side(width, height, size.edge, true) : fit_side(height, width, size.edge, false);
      break;
    }
    case ExportSizeMode::kBox: {
      if (size.box_width < 1 || size.box_height < 1) return unchanged;
      const double by_width = double(size.box_width) / double(width);
      const double by_height = double(size.box_height) / double(height);
      // The tighter side decides and gets the box's length exactly.
      scale = std::min(by_width, by_height);
      fitted = by_width <= by_height ? fit_side(width, height, size.box_width, true)
                                     : fit_side(height, width, size.box_height, false);
      break;
    }
    case ExportSizeMode::kPercent:
      if (!usable(size.percent)) return unchanged;
      scale = size.percent / 100;
      fitted = FittedSize{scaled_side(width, scale), scaled_side(height, scale)};
      break;
    case ExportSizeMode::kMegapixels:
      if (!usable(size.megapixels)) return unchanged;
      scale = std::sqrt(size.megapixels * 1e6 / (double(width) * double(height)));
      fitted = FittedSize{scaled_side(width, scale), scaled_side(height, scale)};
      break;
  }
  if (!size.enlarge && scale >= 1) return unchanged;
  return fitted;
}
