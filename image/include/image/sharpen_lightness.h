// SPDX-License-Identifier: GPL-3.0-or-later
// Sharpening after a downscale: an unsharp mask on the lightness only, so
// edges regain the crispness the resize's averaging took without colour
// fringes. The same amount is added to the three channels, which moves the
// lightness by exactly that amount and leaves the colour differences alone.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"

// One strength: the mask's Gaussian sigma is `sigma_per_edge` times the
// longer side in pixels, held between min_sigma and max_sigma, so a web
// picture gets a fine radius and a full-size print a wider one; `amount`
// is the share of the detail (lightness minus its blur) added back.
struct SharpenStrength {
  double amount;          // 0..2
  double sigma_per_edge;  // sigma = longer side x this
  double min_sigma;       // pixels
  double max_sigma;       // pixels
};

// The levels the export offers. A Gaussian's detail next to a step edge
// never exceeds half the step, so amount 0.6 keeps the overshoot of
// "standard" within 30 % of the step; low and high are half and about
// one and a half times that.
inline constexpr SharpenStrength kSharpenLow{0.3, 1.0 / 3000, 0.5, 2.0};
inline constexpr SharpenStrength kSharpenStandard{0.6, 1.0 / 3000, 0.5, 2.0};
inline constexpr SharpenStrength kSharpenHigh{1.0, 1.0 / 3000, 0.5, 2.0};

// The sigma a picture of width x height is sharpened with.
double SharpenSigma(const SharpenStrength& strength, int32_t width, int32_t height);

// Sharpens a 24-bit record in place. False, with the record unchanged,
// for another depth or without memory for the lightness planes.
bool SharpenLightness(TDibImage& image, const SharpenStrength& strength);
