// SPDX-License-Identifier: GPL-3.0-or-later
// Separable Lanczos-3 scaling in fixed point. Each output sample is centred
// on its own footprint in the input ((i + 0.5) * scale), the filter widens
// with the reduction so every input pixel contributes, and the weights that
// fall outside the picture are dropped and the rest renormalised, the way
// ImageMagick's resize treats the borders; the results then stay within a
// rounding of its own.
//
// The picture streams through one output row at a time: the input rows
// under the row's vertical taps are filtered down into one row of 16-bit
// samples with four fraction bits (clamped to the byte range, as
// ImageMagick's first pass clamps), which is filtered across into the
// output row. No second picture-sized buffer is needed, and the rows being
// combined stay in the cache. Both passes take two taps at a time through
// SSE2's pmaddwd, which multiplies eight pairs and adds them in one go.
#include "image/resize_lanczos.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/dib_access.h"
#include "image/replace_depth.h"

namespace {

constexpr double kLobes = 3.0;
constexpr int kWeightBits = 14;  // weights sum to 1 << kWeightBits
constexpr int kMiddleBits = 4;   // fraction bits of the samples between the passes

double sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = M_PI * x;
  return std::sin(px) / px;
}

double lanczos3(double x) {
  x = std::fabs(x);
  return x < kLobes ? sinc(x) * sinc(x / kLobes) : 0.0;
}

// The taps of every output sample along one direction.
struct Taps {
  std::vector<int32_t> first;   // first input index of output i
  std::vector<int32_t> count;   // taps of output i
  std::vector<int16_t> weight;  // count[i] weights per output, max_count apart
  int32_t max_count = 0;
};

Taps make_taps(int32_t in_size, int32_t out_size) {
  Taps taps;
  const double scale = double(in_size) / double(out_size);
  const double widen = std::max(scale, 1.0);
  const double support = kLobes * widen;
  taps.max_count = int32_t(std::ceil(2.0 * support)) + 2;
  taps.first.resize(size_t(out_size));
  taps.count.resize(size_t(out_size));
  taps.weight.assign(size_t(out_size) * size_t(taps.max_count), 0);
  std::vector<double> w(size_t(taps.max_count));
  for (int32_t i = 0; i < out_size; ++i) {
    const double centre = (i + 0.5) * scale;
    const int32_t start = std::max<int32_t>(int32_t(centre - support + 0.5), 0);
    const int32_t stop = std::min<int32_t>(int32_t(centre + support + 0.5), in_size);
    int32_t n = std::max<int32_t>(stop - start, 1);
    n = std::min(n, taps.max_count - 1);  // one weight after the last stays 0 for the paired loop
    double sum = 0;
    for (int32_t k = 0; k < n; ++k) {
      w[size_t(k)] = lanczos3((start + k + 0.5 - centre) / widen);
      sum += w[size_t(k)];
    }
    int16_t* out = &taps.weight[size_t(i) * size_t(taps.max_count)];
    if (sum == 0.0) {
      out[0] = int16_t(1 << kWeightBits);
    } else {
      // Rounded one by one, the weights may miss the sum; the largest takes
      // the difference so a flat area stays exactly flat.
      int32_t total = 0, largest = 0;
      for (int32_t k = 0; k < n; ++k) {
        out[k] = int16_t(std::lround(w[size_t(k)] / sum * (1 << kWeightBits)));
        total += out[k];
        if (out[k] > out[largest]) largest = k;
      }
      out[largest] = int16_t(out[largest] + ((1 << kWeightBits) - total));
    }
    taps.first[size_t(i)] = std::min(start, in_size - 1);
    taps.count[size_t(i)] = n;
  }
  return taps;
}

int16_t clamp_middle(int32_t v) {
  constexpr int32_t kTop = 255 << kMiddleBits;
  return int16_t(v < 0 ? 0 : v > kTop ? kTop : v);
}

uint8_t to_byte(int32_t sum, int shift) {
  const int32_t v = (sum + (1 << (shift - 1))) >> shift;
  return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

int32_t weight_pair(int16_t first, int16_t second) {
  return int32_t(uint32_t(uint16_t(first)) | uint32_t(uint16_t(second)) << 16);
}

// sums[i] += a[i] * wa + b[i] * wb over count bytes.
void add_two_rows(int32_t* sums, const uint8_t* a, const uint8_t* b, int16_t wa, int16_t wb, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i weights = _mm_set1_epi32(weight_pair(wa, wb));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= count; i += 16) {
    const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i rb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const __m128i a_low = _mm_unpacklo_epi8(ra, zero), a_high = _mm_unpackhi_epi8(ra, zero);
    const __m128i b_low = _mm_unpacklo_epi8(rb, zero), b_high = _mm_unpackhi_epi8(rb, zero);
    __m128i* s = reinterpret_cast<__m128i*>(sums + i);
    const __m128i parts[4] = {_mm_unpacklo_epi16(a_low, b_low), _mm_unpackhi_epi16(a_low, b_low),
                              _mm_unpacklo_epi16(a_high, b_high), _mm_unpackhi_epi16(a_high, b_high)};
    for (int q = 0; q < 4; ++q)
      _mm_storeu_si128(s + q, _mm_add_epi32(_mm_loadu_si128(s + q), _mm_madd_epi16(parts[q], weights)));
  }
#endif
  for (; i < count; ++i) sums[i] += int32_t(wa) * a[i] + int32_t(wb) * b[i];
}

// Samples of `channels` interleaved bytes; in_row(y) and out_row(y) give the
// rows from the top. The filtered-down row keeps `lanes` samples a pixel
// (channels padded to four), so a pair of pixels is one 16-byte load, and
// two pixels of zeros after its end for the last pair's partner.
template <int channels, typename InRow, typename OutRow>
bool resize_samples(int32_t in_w, int32_t in_h, int32_t out_w, int32_t out_h, InRow in_row, OutRow out_row) {
  constexpr int lanes = channels == 1 ? 1 : 4;
  constexpr int kDownShift = kWeightBits - kMiddleBits;
  try {
    const Taps across = make_taps(in_w, out_w);
    const Taps down = make_taps(in_h, out_h);
    const size_t samples = size_t(in_w) * channels;
    std::vector<int32_t> sums(samples);
    std::vector<int16_t> row(size_t(in_w + 2) * lanes, 0);
    for (int32_t y = 0; y < out_h; ++y) {
      std::fill(sums.begin(), sums.end(), 1 << (kDownShift - 1));
      const int16_t* w = &down.weight[size_t(y) * size_t(down.max_count)];
      const int32_t first = down.first[size_t(y)];
      const int32_t n = down.count[size_t(y)];
      for (int32_t k = 0; k < n; k += 2) {
        // An odd last tap pairs with itself at weight 0.
        const bool pair = k + 1 < n;
        add_two_rows(sums.data(), in_row(first + k), in_row(pair ? first + k + 1 : first + k), w[k],
                     pair ? w[k + 1] : int16_t(0), samples);
      }
      for (int32_t x = 0; x < in_w; ++x)
        for (int c = 0; c < channels; ++c)
          row[size_t(x) * lanes + size_t(c)] =
              clamp_middle(sums[size_t(x) * channels + size_t(c)] >> kDownShift);

      uint8_t* out = out_row(y);
      for (int32_t x = 0; x < out_w; ++x) {
        const int16_t* wx = &across.weight[size_t(x) * size_t(across.max_count)];
        const int16_t* p = row.data() + size_t(across.first[size_t(x)]) * lanes;
        const int32_t taps = across.count[size_t(x)];
        constexpr int shift = kWeightBits + kMiddleBits;
#if defined(__SSE2__)
        if constexpr (lanes == 4) {
          __m128i sum = _mm_set1_epi32(1 << (shift - 1));
          for (int32_t k = 0; k < taps; k += 2, p += 2 * lanes) {
            const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i paired = _mm_unpacklo_epi16(two, _mm_srli_si128(two, 8));
            sum = _mm_add_epi32(sum, _mm_madd_epi16(paired, _mm_set1_epi32(weight_pair(wx[k], wx[k + 1]))));
          }
          alignas(16) int32_t lane_sums[4];
          _mm_store_si128(reinterpret_cast<__m128i*>(lane_sums), _mm_srai_epi32(sum, shift));
          for (int c = 0; c < channels; ++c)
            out[size_t(x) * channels + size_t(c)] = uint8_t(std::clamp(lane_sums[c], 0, 255));
          continue;
        }
#endif
        int32_t sum[channels] = {};
        for (int32_t k = 0; k < taps; ++k, p += lanes)
          for (int c = 0; c < channels; ++c) sum[c] += int32_t(wx[k]) * p[c];
        for (int c = 0; c < channels; ++c) out[size_t(x) * channels + size_t(c)] = to_byte(sum[c], shift);
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

bool ResizeDib(TDibImage& image, int32_t width, int32_t height) {
  const int bits = DibBitCount(image);
  if ((bits != 24 && bits != 32) || !DibHoldsPixels(image, bits) || width < 1 || height < 1) return false;
  TDibImage target = newdib(width, height, bits, nullptr, 0);
  if (!target.Storage || !target.Bits || !target.Info) {
    deldib(&target);
    return false;
  }
  target.Info->bmiHeader.biXPelsPerMeter = image.Info->bmiHeader.biXPelsPerMeter;
  target.Info->bmiHeader.biYPelsPerMeter = image.Info->bmiHeader.biYPelsPerMeter;
  const auto in_row = [&](int32_t y) -> const uint8_t* { return DibRow(image, y); };
  const auto out_row = [&](int32_t y) { return DibRow(target, y); };
  const bool done =
      bits == 24 ? resize_samples<3>(DibWidth(image), DibHeight(image), width, height, in_row, out_row)
                 : resize_samples<4>(DibWidth(image), DibHeight(image), width, height, in_row, out_row);
  if (!done || PixkitCopyMetadata(&image, &target) != 1) {
    deldib(&target);
    return false;
  }
  ReplaceDib(image, target);
  return true;
}

bool ResizeAlphaPlane(AlphaPlane& plane, int32_t width, int32_t height) {
  if (plane.empty()) return true;
  std::vector<uint8_t> resized;
  try {
    resized.resize(size_t(width) * size_t(height));
  } catch (const std::bad_alloc&) {
    return false;
  }
  const bool done = resize_samples<1>(
      plane.width, plane.height, width, height,
      [&](int32_t y) -> const uint8_t* { return plane.alpha.data() + size_t(y) * size_t(plane.width); },
      [&](int32_t y) { return resized.data() + size_t(y) * size_t(width); });
  if (!done) return false;
  plane.alpha = std::move(resized);
  plane.width = width;
  plane.height = height;
  return true;
}
