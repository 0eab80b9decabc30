// SPDX-License-Identifier: LGPL-2.1-or-later
#include "limits.h"

#include <atomic>

namespace pixkit {
namespace {
std::atomic<int64_t> g_max_side{kDefaultMaxSide};
std::atomic<int64_t> g_max_pixels{kDefaultMaxPixels};
thread_local Limits t_snapshot;
}  // namespace

const Limits& current_limits() {
  t_snapshot.max_side = g_max_side.load(std::memory_order_relaxed);
  t_snapshot.max_pixels = g_max_pixels.load(std::memory_order_relaxed);
  return t_snapshot;
}

void set_limits(int64_t max_side, int64_t max_pixels) {
  g_max_side.store(max_side >= 1 ? max_side : kDefaultMaxSide);
  g_max_pixels.store(max_pixels >= 1 ? max_pixels : kDefaultMaxPixels);
}

Status check_dimensions(int64_t width, int64_t height) {
  const Limits& limits = current_limits();
  if (width < 1 || height < 1) return fail("picture has no pixels");
  if (width > limits.max_side || height > limits.max_side)
    return fail_too_large("picture side over the limit");
  if (width * height > limits.max_pixels) return fail_too_large("picture area over the limit");
  return {};
}

}  // namespace pixkit
