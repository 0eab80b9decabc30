// SPDX-License-Identifier: GPL-3.0-or-later
// The colour census behind reduced pictures. Every choice here shows in the
// output: 16-bit counters that halve on saturation, the exchange sort that
// orders equal counts, and the cell's low corner as its colour.
#include "image/build_palette.h"

#include <algorithm>

#include "image/dib_access.h"

namespace {

constexpr int kCells = 32768;

// Counters stay 16 bits wide; a full one halves them all, so the order of
// the frequent cells survives while rare cells may drop to the same count.
void count_cell(uint16_t* counts, unsigned code) {
  if (counts[code] == 65535) {
    for (int i = 0; i < kCells; ++i) counts[i] = uint16_t(counts[i] >> 1);
  }
  ++counts[code];
}

// One Hoare pass over counts[lo..hi] around the value at the middle; leaves
// i and j where the two halves start and end.
void partition_cells(uint16_t* counts, uint16_t* codes, int lo, int hi, int& i, int& j) {
  i = lo;
  j = hi;
  const uint16_t pivot = counts[(lo + hi) / 2];
  do {
    while (counts[i] < pivot) ++i;
    while (counts[j] > pivot) --j;
    if (i <= j) {
      std::swap(counts[i], counts[j]);
      std::swap(codes[i], codes[j]);
      ++i;
      --j;
    }
  } while (i <= j);
}

// Counts every pixel of image into the cell of its levels shifted right by
// Shift (or by shift where Shift is -1), five bits a channel.
template <int Shift>
void count_cells(const TDibImage& image, uint16_t* counts, int shift = Shift) {
  if constexpr (Shift >= 0) shift = Shift;
  const int32_t width = DibWidth(image);
  const int32_t height = DibHeight(image);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* pixel = image.Bits + int64_t(r) * image.RowBytes;
    for (int32_t x = 0; x < width; ++x, pixel += 3) {
      const unsigned code = ((unsigned(pixel[2] >> shift) & 31u) << 10) |
                            ((unsigned(pixel[1] >> shift) & 31u) << 5) | (unsigned(pixel[0] >> shift) & 31u);
      count_cell(counts, code);
    }
  }
}

}  // namespace

void SortCellCounts(uint16_t* counts, uint16_t* codes, int lo, int hi) {
  // The two halves never overlap, so sorting the smaller one first and
  // looping on the larger gives the same order as sorting left then right,
  // with a recursion depth that stays logarithmic whatever the counts.
  while (lo < hi) {
    int i = 0, j = 0;
    partition_cells(counts, codes, lo, hi, i, j);
    if (j - lo < hi - i) {
      if (lo < j) SortCellCounts(counts, codes, lo, j);
      lo = i;
    } else {
      if (i < hi) SortCellCounts(counts, codes, i, hi);
      hi = j;
    }
  }
}

std::vector<PaletteColour> BuildPalette(const TDibImage& image, int count, int shift) {
  std::vector<uint16_t> counts(kCells, 0);
  std::vector<uint16_t> codes(kCells);
  for (int i = 0; i < kCells; ++i) codes[size_t(i)] = uint16_t(i);

  // The two shifts the reductions use get a census of their own, whose
  // shifts and masks fold into constants.
  if (shift == 4) {
    count_cells<4>(image, counts.data());
  } else if (shift == 5) {
    count_cells<5>(image, counts.data());
  } else {
    count_cells<-1>(image, counts.data(), shift);
  }
  SortCellCounts(counts.data(), codes.data(), 0, kCells - 1);

  std::vector<PaletteColour> palette(size_t(std::clamp(count, 0, kCells)));
  for (size_t i = 0; i < palette.size(); ++i) {
    const unsigned code = codes[size_t(kCells - 1) - i];
    // Levels of empty cells can exceed what a channel reaches; only the low
    // eight bits of the corner are kept, so such colours may repeat.
    palette[i] = PaletteColour{uint8_t((code >> 10) << shift), uint8_t(((code >> 5) & 31u) << shift),
                               uint8_t((code & 31u) << shift)};
  }
  return palette;
}
