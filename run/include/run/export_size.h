// SPDX-License-Identifier: GPL-3.0-or-later
// The size a picture is written at under the export's size choice.
#pragma once

#include <cstdint>

#include "run/export_options.h"

struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const PixelSize&) const = default;
};

// The size for a picture of width x height (upright, as stored): the side
// the mode names becomes exactly its value and the other keeps the aspect,
// rounded to the nearest pixel and at least 1. Without `enlarge` a picture
// that is already small enough keeps its size; kNone, and a value of 0 or
// below, keep it too. Never over 32768 pixels a side.
PixelSize ExportPixelSize(const ExportSize& size, int32_t width, int32_t height);
