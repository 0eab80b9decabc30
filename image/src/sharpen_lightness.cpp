// SPDX-License-Identifier: GPL-3.0-or-later
// The blur is a separable Gaussian over the lightness plane with the edge
// pixels repeated outside, three sigmas wide; the weights are normalised
// so a flat area gets no detail at all and stays exactly as it was.
#include "image/sharpen_lightness.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "image/dib_access.h"

namespace {

std::vector<float> gaussian_weights(double sigma) {
  const int radius = std::max(1, int(std::ceil(3 * sigma)));
  std::vector<float> weights(size_t(2 * radius + 1));
  double sum = 0;
  for (int i = -radius; i <= radius; ++i)
    sum += weights[size_t(i + radius)] = float(std::exp(-0.5 * i * i / (sigma * sigma)));
  for (float& w : weights) w = float(w / sum);
  return weights;
}

// One direction of the blur: `count` lines of `length` samples, a sample
// `step` apart within a line and `stride` apart between lines.
void blur_lines(const std::vector<float>& from, std::vector<float>& to, const std::vector<float>& weights,
                int32_t count, int32_t length, int64_t stride, int64_t step) {
  const int radius = int(weights.size() / 2);
  for (int32_t line = 0; line < count; ++line) {
    const int64_t base = line * stride;
    for (int32_t i = 0; i < length; ++i) {
      float sum = 0;
      for (int k = -radius; k <= radius; ++k) {
        const int32_t at = std::clamp(i + k, 0, length - 1);
        sum += weights[size_t(k + radius)] * from[size_t(base + at * step)];
      }
      to[size_t(base + i * step)] = sum;
    }
  }
}

uint8_t clamped(float value) { return uint8_t(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

double SharpenSigma(const SharpenStrength& strength, int32_t width, int32_t height) {
  const double edge = double(std::max(width, height));
  return std::clamp(edge * strength.sigma_per_edge, strength.min_sigma, strength.max_sigma);
}

bool SharpenLightness(TDibImage& image, const SharpenStrength& strength) {
  if (!DibHoldsPixels(image, 24)) return false;
  const int32_t width = DibWidth(image), height = DibHeight(image);
  try {
    const size_t count = size_t(width) * size_t(height);
    std::vector<float> lightness(count), across(count), blurred(count);
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* row = DibRow(image, y);
      for (int32_t x = 0; x < width; ++x) {
        // BGR in memory; Rec. 601 weights, as the JPEG writer's luma.
        const uint8_t* p = row + 3 * x;
        lightness[size_t(y) * width + x] = 0.114f * p[0] + 0.587f * p[1] + 0.299f * p[2];
      }
    }
    const std::vector<float> weights = gaussian_weights(SharpenSigma(strength, width, height));
    blur_lines(lightness, across, weights, height, width, width, 1);
    blur_lines(across, blurred, weights, width, height, 1, width);
    const float amount = float(strength.amount);
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* row = DibRow(image, y);
      for (int32_t x = 0; x < width; ++x) {
        const size_t i = size_t(y) * width + x;
        const float added = amount * (lightness[i] - blurred[i]);
        for (int c = 0; c < 3; ++c) row[3 * x + c] = clamped(row[3 * x + c] + added);
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
