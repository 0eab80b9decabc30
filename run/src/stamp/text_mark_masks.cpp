// SPDX-License-Identifier: GPL-3.0-or-later
// Outline and shadow masks of the text's options.
#include "text_mark_masks.h"

#include <algorithm>
#include <cmath>

namespace {

// Widens every row of chord, which holds the largest value of in within
// from pixels to either side, to hold it within to pixels: each step takes
// in one more pixel on each side. Plain maxima over shifted rows, which the
// compiler vectorises.
void widen_rows(const Mask& in, std::vector<uint8_t>& chord, int64_t from, int64_t to) {
  for (int64_t half = from + 1; half <= to; ++half) {
    if (half >= in.width) break;  // the chord spans every row whole already
    for (int64_t y = 0; y < in.height; ++y) {
      const uint8_t* row = in.values.data() + y * in.width;
      uint8_t* out = chord.data() + y * in.width;
      for (int64_t x = half; x < in.width; ++x) out[x] = std::max(out[x], row[x - half]);
      for (int64_t x = 0; x + half < in.width; ++x) out[x] = std::max(out[x], row[x + half]);
    }
  }
}

// Squared distances along one line to the nearest pixel whose row distance
// is 0, from the row distances f (Felzenszwalb and Huttenlocher's lower
// envelope of parabolas); v and z are scratch of at least n and n + 1.
void column_distances(const std::vector<int64_t>& f, int64_t n, std::vector<int64_t>& d,
                      std::vector<int64_t>& v, std::vector<double>& z) {
  const auto cut = [&f](int64_t q, int64_t p) {
    return double((f[size_t(q)] + q * q) - (f[size_t(p)] + p * p)) / double(2 * q - 2 * p);
  };
  int64_t k = 0;
  v[0] = 0;
  z[0] = -HUGE_VAL;
  z[1] = HUGE_VAL;
  for (int64_t q = 1; q < n; ++q) {
    double s = cut(q, v[size_t(k)]);
    while (k > 0 && s <= z[size_t(k)]) s = cut(q, v[size_t(--k)]);
    ++k;
    v[size_t(k)] = q;
    z[size_t(k)] = s;
    z[size_t(k) + 1] = HUGE_VAL;
  }
  k = 0;
  for (int64_t q = 0; q < n; ++q) {
    while (z[size_t(k) + 1] < double(q)) ++k;
    const int64_t from = v[size_t(k)];
    d[size_t(q)] = (q - from) * (q - from) + f[size_t(from)];
  }
}

// Squared distance from every pixel to the nearest one that seed picks,
// exact up to radius^2 + radius and above it for every pixel farther away:
// along the rows looking no further than the radius, then down the columns
// through the lower envelope.
template <class Seed>
std::vector<int64_t> squared_distances(const Mask& in, int radius, Seed seed) {
  const int64_t far = int64_t(radius) * radius + radius + 1;
  const int64_t width = in.width, height = in.height;
  std::vector<int64_t> across(in.values.size(), far);
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* row = in.values.data() + y * width;
    int64_t* d = across.data() + y * width;
    int64_t last = -1;
    for (int64_t x = 0; x < width; ++x) {
      if (seed(row[x])) last = x;
      if (last >= 0 && x - last <= radius) d[x] = (x - last) * (x - last);
    }
    last = -1;
    for (int64_t x = width - 1; x >= 0; --x) {
      if (seed(row[x])) last = x;
      if (last >= 0 && last - x <= radius) d[x] = std::min(d[x], (last - x) * (last - x));
    }
  }
  std::vector<int64_t> f(static_cast<size_t>(height)), d(f.size()), v(f.size());
  std::vector<double> z(f.size() + 1);
  for (int64_t x = 0; x < width; ++x) {
    for (int64_t y = 0; y < height; ++y) f[size_t(y)] = across[size_t(y * width + x)];
    column_distances(f, height, d, v, z);
    for (int64_t y = 0; y < height; ++y) across[size_t(y * width + x)] = d[size_t(y)];
  }
  return across;
}

bool is_full(uint8_t v) { return v == 255; }
bool is_partial(uint8_t v) { return v != 0 && v != 255; }

// The partly covered pixels of one row, left to right, with the largest
// value over every run of 2^k of them, so the largest within any span of
// the row takes two look-ups.
class RowPartials {
 public:
  RowPartials(const uint8_t* row, int64_t width) {
    for (int64_t x = 0; x < width; ++x) {
      if (!is_partial(row[x])) continue;
      columns_.push_back(x);
      values_.push_back(row[x]);
    }
    runs_.push_back(values_);
    for (size_t span = 2; span <= values_.size(); span *= 2) {
      const std::vector<uint8_t>& half = runs_.back();
      std::vector<uint8_t> next(values_.size() - span + 1);
      for (size_t i = 0; i < next.size(); ++i) next[i] = std::max(half[i], half[i + span / 2]);
      runs_.push_back(std::move(next));
    }
  }

  // The largest value in columns [from, to], or 0.
  uint8_t largest(int64_t from, int64_t to) const {
    const size_t first = size_t(std::lower_bound(columns_.begin(), columns_.end(), from) - columns_.begin());
    const size_t end = size_t(std::upper_bound(columns_.begin(), columns_.end(), to) - columns_.begin());
    if (first >= end) return 0;
    size_t k = 0;
    while ((size_t(2) << k) <= end - first) ++k;
    return std::max(runs_[k][first], runs_[k][end - (size_t(1) << k)]);
  }

 private:
  std::vector<int64_t> columns_;
  std::vector<uint8_t> values_;
  std::vector<std::vector<uint8_t>> runs_;
};

// The chord method of WidenMask over the whole mask.
Mask widen_by_chords(const Mask& in, int radius) {
  Mask out = in;
  std::vector<uint8_t> chord = in.values;
  int64_t chord_half = 0;
  for (int dy = radius; dy >= 0; --dy) {
    int64_t half = 0;
    while ((half + 1) * (half + 1) + int64_t(dy) * dy <= int64_t(radius) * radius + radius) ++half;
    widen_rows(in, chord, chord_half, half);
    chord_half = std::max(chord_half, half);
    for (const int offset : {dy, -dy}) {
      for (int64_t y = std::max<int64_t>(0, offset); y < std::min<int64_t>(in.height, in.height + offset);
           ++y) {
        const uint8_t* from = chord.data() + (y - offset) * in.width;
        uint8_t* to = out.values.data() + y * in.width;
        for (int64_t x = 0; x < in.width; ++x) to[x] = std::max(to[x], from[x]);
      }
      if (dy == 0) break;
    }
  }
  return out;
}

}  // namespace

// The largest value within a disc of the given radius around each pixel:
// for each row offset the disc's chord there, as a running maximum along
// the rows, widened step by step from the disc's top to its middle; the
// cost grows with the radius.
//
// A wide outline of a large text would make that slow, so the disc is found
// another way when that is cheaper, to the same values: a pixel within
// the disc of a fully covered one (255) is 255, found by a distance
// transform whatever the radius; the pixels no full one reaches but a
// partly covered one (a smoothed edge) does, a thin ring outside the
// widened glyphs, take the largest of those within their disc, looked up
// row by row.
Mask WidenMask(const Mask& in, int radius) {
  if (radius <= 0 || in.values.empty()) return in;
  const int64_t limit = int64_t(radius) * radius + radius;
  const std::vector<int64_t> to_full = squared_distances(in, radius, is_full);
  Mask out = in;
  for (size_t i = 0; i < out.values.size(); ++i)
    if (to_full[i] <= limit) out.values[i] = 255;
  if (std::none_of(in.values.begin(), in.values.end(), is_partial)) return out;

  const std::vector<int64_t> to_partial = squared_distances(in, radius, is_partial);
  std::vector<size_t> ring;
  for (size_t i = 0; i < out.values.size(); ++i)
    if (to_full[i] > limit && to_partial[i] <= limit) ring.push_back(i);
  // A look-up row by row costs some hundred times a step of the chords,
  // which run over every pixel.
  if (ring.size() * 128 > in.values.size()) return widen_by_chords(in, radius);
  std::vector<RowPartials> rows;
  rows.reserve(size_t(in.height));
  for (int64_t y = 0; y < in.height; ++y) rows.emplace_back(in.values.data() + y * in.width, in.width);
  std::vector<int64_t> chord(size_t(radius) + 1);
  for (int dy = 0; dy <= radius; ++dy)
    while ((chord[size_t(dy)] + 1) * (chord[size_t(dy)] + 1) + int64_t(dy) * dy <= limit) ++chord[size_t(dy)];
  for (const size_t i : ring) {
    const int64_t x = int64_t(i) % in.width, y = int64_t(i) / in.width;
    uint8_t largest = 0;
    for (int64_t dy = -radius; dy <= radius && largest < 254; ++dy) {
      if (y + dy < 0 || y + dy >= in.height) continue;
      const int64_t half = chord[size_t(std::abs(dy))];
      largest = std::max(largest, rows[size_t(y + dy)].largest(x - half, x + half));
    }
    out.values[i] = largest;
  }
  return out;
}

namespace {

// One box pass of the given radius along rows (step 1) or columns (step
// width), rounded to the nearest value; outside the mask counts as 0.
void box_pass(std::vector<uint8_t>& values, int64_t lines, int64_t length, int64_t line_step, int64_t step,
              int radius) {
  std::vector<uint8_t> line(static_cast<size_t>(length));
  const int64_t span = 2 * int64_t(radius) + 1;
  for (int64_t l = 0; l < lines; ++l) {
    uint8_t* base = values.data() + l * line_step;
    for (int64_t i = 0; i < length; ++i) line[size_t(i)] = base[i * step];
    int64_t sum = 0;
    for (int64_t i = 0; i < std::min<int64_t>(radius, length); ++i) sum += line[size_t(i)];
    for (int64_t i = 0; i < length; ++i) {
      if (i + radius < length) sum += line[size_t(i + radius)];
      if (i - radius - 1 >= 0) sum -= line[size_t(i - radius - 1)];
      base[i * step] = uint8_t((sum + span / 2) / span);
    }
  }
}

}  // namespace

void BlurMask(Mask& mask, int radius) {
  if (radius <= 0) return;
  for (int pass = 0; pass < 2; ++pass) {
    box_pass(mask.values, mask.height, mask.width, mask.width, 1, radius);
    box_pass(mask.values, mask.width, mask.height, 1, mask.width, radius);
  }
}

Mask CutMask(const Mask& in, int64_t left, int64_t top, int64_t width, int64_t height) {
  Mask out;
  out.width = std::max<int64_t>(0, width);
  out.height = std::max<int64_t>(0, height);
  out.values.resize(size_t(out.width * out.height));
  for (int64_t y = 0; y < out.height; ++y)
    std::copy_n(in.values.data() + (y + top) * in.width + left, out.width, out.values.data() + y * out.width);
  return out;
}

Mask InnerMask(const Mask& in, int64_t inset) {
  if (inset <= 0) return in;
  return CutMask(in, inset, inset, in.width - 2 * inset, in.height - 2 * inset);
}
