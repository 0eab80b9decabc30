// SPDX-License-Identifier: GPL-3.0-or-later
// The bilinear taps of a sampled mark and how their sum becomes a laid
// pixel, shared by every way of sampling so that they agree to the bit.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "mark_sampling.h"

struct Accumulated {
  double weight = 0;
  double colour[3] = {0, 0, 0};
};

inline void tap(const MarkWindow& window, int64_t x, int64_t y, double f, Accumulated& sum) {
  const MarkSprite& pixels = *window.pixels;
  x -= window.x0;
  y -= window.y0;
  if (f <= 0 || x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) return;
  const size_t i = size_t(y * pixels.width + x);
  const double fw = f * pixels.weight[i];
  sum.weight += fw;
  for (int k = 0; k < 3; ++k) sum.colour[k] += fw * pixels.colour[3 * i + size_t(k)];
}

// std::lround for a value that is not negative, without the library call:
// the fraction v - (long)v is exact below 2^52, so halves round up alike.
inline long round_half_up(double v) {
  const long whole = long(v);
  return v - double(whole) >= 0.5 ? whole + 1 : whole;
}

// round_half_up(colour / weight) for a colour sum of at most 255 x weight,
// taking the quotient through the weight's reciprocal. That product lies
// within a few units in the last place of the quotient, a few 1e-14 at 255,
// so it rounds to the same whole number unless it lies that close to a
// half; that rare case takes the division itself.
inline long round_mean(double colour, double weight, double inverse) {
  const double q = colour * inverse;
  const long whole = long(q);
  const double fraction = q - double(whole);
  if (std::abs(fraction - 0.5) < 1e-9) return round_half_up(colour / weight);
  return fraction > 0.5 ? whole + 1 : whole;
}

inline void put(MarkSprite& out, size_t to, const Accumulated& sum) {
  const long weight = round_half_up(sum.weight);
  if (weight <= 0) return;
  out.weight[to] = uint16_t(std::min<long>(weight, kMarkWeightFull));
  const double inverse = 1 / sum.weight;
  for (int k = 0; k < 3; ++k)
    out.colour[3 * to + size_t(k)] = uint8_t(std::min(round_mean(sum.colour[k], sum.weight, inverse), 255L));
}
