// SPDX-License-Identifier: GPL-3.0-or-later
#include "control_limits.h"

#include <cmath>

double RoundSpinValue(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction > 0.5) return lower + 1;
  if (fraction < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

int LimitJpegQuality(int32_t value) { return value < 1 ? 1 : value > 100 ? 100 : int(value); }

int LimitTrackBar(int32_t value) { return value < 0 ? 0 : value > 100 ? 100 : int(value); }

int ListItemIndex(int32_t index, int count) { return index >= 0 && index < count ? int(index) : -1; }
