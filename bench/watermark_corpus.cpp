// SPDX-License-Identifier: GPL-3.0-or-later
// Photo-like test pictures for the watermark benchmark: smooth light falloff,
// a few soft shapes and sensor-like noise, so that JPEG spends its usual
// effort on them (flat colours would compress unrealistically fast).
#include "watermark_corpus.h"

#include <cmath>
#include <cstdint>

namespace {

// Small deterministic generator; the corpus is the same on every machine.
struct Noise {
  uint32_t state;
  int next() {
    state = state * 1664525u + 1013904223u;
    return int((state >> 24) & 15) - 8;
  }
};

uint8_t clamp_byte(double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

TDibImage MakePhotoLikePicture(int width, int height, uint32_t seed) {
  TDibImage d = newdib(width, height, 24, nullptr, 0);
  if (!d.Bits) return d;
  Noise noise{seed};
  const double phase = double(seed % 97) / 97.0 * 6.283;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = d.Bits + int64_t(height - 1 - y) * d.RowBytes;
    const double fy = double(y) / height;
    for (int x = 0; x < width; ++x) {
      const double fx = double(x) / width;
      const double sky = 1.0 - fy;
      const double hills = 0.5 + 0.5 * std::sin(fx * 9.0 + phase) * std::cos(fy * 7.0 - phase);
      const double vignette = 1.0 - 0.6 * ((fx - 0.5) * (fx - 0.5) + (fy - 0.5) * (fy - 0.5));
      row[3 * x] = clamp_byte((90 + 120 * sky + 30 * hills) * vignette + noise.next());
      row[3 * x + 1] = clamp_byte((70 + 60 * sky + 90 * hills) * vignette + noise.next());
      row[3 * x + 2] = clamp_byte((60 + 40 * sky + 110 * hills * fx) * vignette + noise.next());
    }
  }
  return d;
}
