// SPDX-License-Identifier: GPL-3.0-or-later
// The size a picture is written at under the export size rule; the window
// shows it before a run, and the run scales to it.
#pragma once

#include <cstdint>

#include "run/export_options.h"

struct FittedSize {
  int64_t width = 0;
  int64_t height = 0;
  bool operator==(const FittedSize&) const = default;
};

// The size width x height fits to under size. The side the rule names gets
// exactly the asked length, the other keeps the aspect (rounded to the
// nearest pixel, at least 1). Without enlarge a picture that is already
// small enough keeps its own size. A rule whose value is not a positive
// finite number, or a source size below 1, leaves the size as it is.
FittedSize OutputSize(int64_t width, int64_t height, const ExportSize& size);
