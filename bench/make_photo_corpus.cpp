// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a small corpus of photo-like 12-megapixel JPEGs for the codec
// benchmark: smooth gradients, a few hard-edged shapes and mild sensor-like
// noise, so the encoder and decoder see what a camera file makes them see.
//
//   make_photo_corpus <folder> [count] [width] [height]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pixkit/pixkit.h"

namespace {

// Small deterministic generator so every run makes the same corpus.
struct Lcg {
  uint32_t state;
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int range(int lo, int hi) { return lo + int(next() % uint32_t(hi - lo + 1)); }
};

uint8_t clamp_byte(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

struct Disc {
  int cx, cy, radius;
  uint8_t b, g, r;
};

void paint_photo(const TDibImage& dib, int width, int height, uint32_t seed) {
  Lcg rng{seed};
  const double fx = 1.0 + rng.range(0, 30) / 10.0, fy = 1.0 + rng.range(0, 30) / 10.0;
  Disc discs[12];
  for (Disc& d : discs)
    d = Disc{rng.range(0, width),        rng.range(0, height),       rng.range(height / 40, height / 6),
             uint8_t(rng.range(0, 255)), uint8_t(rng.range(0, 255)), uint8_t(rng.range(0, 255))};
  // Gradients change slowly: one sine table per axis keeps this fast.
  std::string sx(size_t(width), '\0'), sy(size_t(height), '\0');
  for (int x = 0; x < width; ++x) sx[size_t(x)] = char(96 + 80 * std::sin(fx * 6.2832 * x / width));
  for (int y = 0; y < height; ++y) sy[size_t(y)] = char(96 + 80 * std::cos(fy * 6.2832 * y / height));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = dib.Bits + int64_t(height - 1 - y) * dib.RowBytes;
    const int gy = uint8_t(sy[size_t(y)]);
    for (int x = 0; x < width; ++x) {
      const int gx = uint8_t(sx[size_t(x)]);
      int b = (gx + gy) / 2 + 20, g = gx + y * 40 / height, r = gy + x * 60 / width;
      for (const Disc& d : discs) {
        const int dx = x - d.cx, dy = y - d.cy;
        if (dx * dx + dy * dy < d.radius * d.radius) {
          b = (b + 3 * d.b) / 4;
          g = (g + 3 * d.g) / 4;
          r = (r + 3 * d.r) / 4;
        }
      }
      const int noise = int(rng.next() & 15) - 8;
      row[3 * x] = clamp_byte(b + noise);
      row[3 * x + 1] = clamp_byte(g + noise);
      row[3 * x + 2] = clamp_byte(r + noise);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [count] [width] [height]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : 6;
  const int width = argc > 3 ? std::atoi(argv[3]) : 4000;
  const int height = argc > 4 ? std::atoi(argv[4]) : 3000;
  for (int i = 0; i < count; ++i) {
    TDibImage dib = newdib(width, height, 24, nullptr, 0);
    if (!dib.Bits) {
      std::fprintf(stderr, "cannot make a %dx%d picture\n", width, height);
      return 1;
    }
    paint_photo(dib, width, height, uint32_t(1234 + 77 * i));
    SetJPEGQual(75 + (i * 3) % 16);  // qualities 75..90
    char name[64];
    std::snprintf(name, sizeof name, "/photo_%02d.jpg", i + 1);
    const bool written = SaveDib(&dib, (folder + name).c_str(), PIXKIT_FORMAT_JPG, nullptr) == 1;
    deldib(&dib);
    if (!written) {
      std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
      return 1;
    }
  }
  return 0;
}
