// Outline and shadow masks of the text's options.
#include "text_mark_masks.h"

#include <algorithm>

namespace {

// The largest value of each row within half_width pixels to either side.
std::vector<uint8_t> row_maxima(const Mask& in, int64_t half_width) {
  std::vector<uint8_t> out(in.values.size());
  std::vector<int64_t> window(static_cast<size_t>(in.width));  // indices, values falling
  for (int64_t y = 0; y < in.height; ++y) {
    const uint8_t* row = in.values.data() + y * in.width;
    uint8_t* to = out.data() + y * in.width;
    size_t head = 0, tail = 0;
    int64_t next = 0;  // the next column to enter the window
    for (int64_t x = 0; x < in.width; ++x) {
      for (; next < in.width && next <= x + half_width; ++next) {
        while (tail > head && row[window[tail - 1]] <= row[next]) --tail;
        window[tail++] = next;
      }
      while (window[head] < x - half_width) ++head;
      to[x] = row[window[head]];
    }
  }
  return out;
}

}  // namespace

// The largest value within a disc of the given radius around each pixel:
// for each row offset the disc's chord there, as a running maximum along
// the rows, so the cost grows with the radius and not with its square.
Mask WidenMask(const Mask& in, int radius) {
  Mask out = in;
  std::vector<std::vector<uint8_t>> chords(size_t(radius) + 1);
  for (int dy = -radius; dy <= radius; ++dy) {
    int64_t half = 0;
    while ((half + 1) * (half + 1) + int64_t(dy) * dy <= int64_t(radius) * radius + radius) ++half;
    std::vector<uint8_t>& chord = chords[size_t(half)];
    if (chord.empty()) chord = row_maxima(in, half);
    for (int64_t y = std::max<int64_t>(0, dy); y < std::min<int64_t>(in.height, in.height + dy); ++y) {
      const uint8_t* from = chord.data() + (y - dy) * in.width;
      uint8_t* to = out.values.data() + y * in.width;
      for (int64_t x = 0; x < in.width; ++x) to[x] = std::max(to[x], from[x]);
    }
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
