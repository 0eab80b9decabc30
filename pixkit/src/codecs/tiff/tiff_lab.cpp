// SPDX-License-Identifier: LGPL-2.1-or-later
#include "tiff_lab.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/progress.h"

namespace pixkit {
namespace {

// D50, the white of TIFF's L*a*b*.
constexpr double kWhiteX = 0.96422, kWhiteY = 1.0, kWhiteZ = 0.82521;

// XYZ relative to D50 to linear sRGB: the Bradford adaptation from D50 to
// D65 followed by sRGB's own matrix, multiplied out.
constexpr double kXyzD50ToLinearSrgb[3][3] = {{3.1338561, -1.6168667, -0.4906146},
                                              {-0.9787684, 1.9161415, 0.0334540},
                                              {0.0719453, -0.2289914, 1.4052427}};

struct Lab {
  double l, a, b;
};

double lab_f_inverse(double t) {
  constexpr double delta = 6.0 / 29.0;
  return t > delta ? t * t * t : 3 * delta * delta * (t - 4.0 / 29.0);
}

// sRGB's transfer curve, sampled finely enough that every step of the
// table moves the result by well under one: built once per picture, as a
// local, because the power function per sample would dominate the decode.
class SrgbCurve {
 public:
  static constexpr int kSteps = 65535;

  SrgbCurve() : bytes_(kSteps + 1) {
    for (int i = 0; i <= kSteps; ++i) {
      const double linear = double(i) / kSteps;
      const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
      bytes_[size_t(i)] = uint8_t(std::lround(v * 255));
    }
  }

  uint8_t byte(double linear) const {
    return bytes_[size_t(std::lround(std::clamp(linear, 0.0, 1.0) * kSteps))];
  }

 private:
  std::vector<uint8_t> bytes_;
};

void lab_to_bgr(const Lab& c, const SrgbCurve& curve, uint8_t* bgr) {
  const double fy = (c.l + 16) / 116;
  const double xyz[3] = {kWhiteX * lab_f_inverse(fy + c.a / 500), kWhiteY * lab_f_inverse(fy),
                         kWhiteZ * lab_f_inverse(fy - c.b / 200)};
  for (int channel = 0; channel < 3; ++channel) {
    const double* m = kXyzD50ToLinearSrgb[channel];
    bgr[2 - channel] = curve.byte(m[0] * xyz[0] + m[1] * xyz[1] + m[2] * xyz[2]);
  }
}

// One stored L*a*b* triple. CIELab stores a* and b* as signed numbers,
// ICCLab as unsigned ones offset by half the range; 16-bit a* and b* count
// in 1/256.
Lab stored_lab(const uint8_t* row, uint64_t first, uint16_t bits, bool icc, bool grey) {
  const double top = bits == 8 ? 255.0 : 65535.0;
  const double l = tiff_sample(row, bits, first) * 100.0 / top;
  if (grey) return Lab{l, 0, 0};
  auto signed_value = [&](uint64_t index) -> double {
    const uint32_t v = tiff_sample(row, bits, index);
    if (bits == 8) return icc ? double(v) - 128 : double(int8_t(uint8_t(v)));
    return (icc ? double(v) - 32768 : double(int16_t(uint16_t(v)))) / 256;
  };
  return Lab{l, signed_value(first + 1), signed_value(first + 2)};
}

}  // namespace

Result<Picture> read_cie_lab(TiffRowSource& rows, const TiffLayout& l) {
  const bool grey = l.samples < 3;
  const bool icc = l.photometric == PHOTOMETRIC_ICCLAB;
  const uint16_t colour_samples = grey ? 1 : 3;
  const bool alpha =
      l.samples > colour_samples && (l.alpha == EXTRASAMPLE_ASSOCALPHA || l.alpha == EXTRASAMPLE_UNASSALPHA);
  const int channels = alpha ? 4 : 3;
  auto picture = Picture::create(int32_t(l.width), int32_t(l.height), alpha ? 32 : 24, false);
  if (!picture) return picture.as_error();
  const double top = l.bits == 8 ? 255.0 : 65535.0;
  const SrgbCurve curve;
  for (uint32_t y = 0; y < l.height; ++y) {
    PIXKIT_TRY(rows.load_row(y));
    const uint8_t* src = rows.plane(0);
    uint8_t* dst = picture->row(int32_t(y));
    for (uint32_t x = 0; x < l.width; ++x) {
      const uint64_t first = uint64_t(x) * l.samples;
      uint8_t* px = dst + size_t(x) * channels;
      lab_to_bgr(stored_lab(src, first, l.bits, icc, grey), curve, px);
      // Alpha is taken as straight; premultiplied L*a*b* has no agreed meaning.
      if (alpha) px[3] = uint8_t(std::lround(tiff_sample(src, l.bits, first + colour_samples) * 255 / top));
    }
    if (y % 64 == 0) report_progress(y, l.height);
  }
  return picture;
}

}  // namespace pixkit
