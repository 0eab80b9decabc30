// SPDX-License-Identifier: GPL-3.0-or-later
// Serpentine error diffusion with 7/16, 5/16, 3/16 and 1/16 shares, kept as
// sixteenths in 16-bit accumulators.
//
// Two row buffers of W + 2 slots carry the errors. While a row is scanned,
// the buffer of the row below is filled from its end towards its start; the
// next row runs the other way and walks its pointer forward through that
// buffer, so each pixel finds its incoming error in its own slot. The first
// and last slots are guards that catch the shares leaving the picture and are
// never read. The slot below and ahead is assigned rather than added to: it
// is the first share that slot gets in the row, so only the slot below the
// row's first pixel needs clearing. The largest sum is 16 * 255 = 4080, well
// inside 16 bits.
#include "image/dither_to_palette.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "image/dib_access.h"

namespace {

// One slot: the blue, green and red accumulators and an unused fourth lane,
// so that a slot is one 8-byte word and the three channels are worked on at
// once with the compiler's vector extension.
typedef int16_t ErrorSlot __attribute__((vector_size(8)));

// Writes palette index i into pixel x of a packed row, as setpixel would:
// the leftmost pixel in the high bits of its byte.
template <int Bits>
inline void put_index(uint8_t* row, int32_t x, unsigned i) {
  if constexpr (Bits == 8) {
    row[x] = uint8_t(i);
  } else if constexpr (Bits == 4) {
    const int shift = (x & 1) ? 0 : 4;
    uint8_t& b = row[x >> 1];
    b = uint8_t((b & ~(15u << shift)) | ((i & 15u) << shift));
  } else {
    const int shift = 7 - (x & 7);
    uint8_t& b = row[x >> 3];
    b = uint8_t((b & ~(1u << shift)) | ((i & 1u) << shift));
  }
}

// (accumulator + 8) / 16 truncating toward zero, lane by lane, given the
// accumulator with the 8 already added: -24 gives -1, -9 gives 0, 8 gives 1.
// Adding 15 before the arithmetic shift makes the shift round negative values
// toward zero as the division does.
inline ErrorSlot incoming_error(ErrorSlot biased_accumulator) {
  const ErrorSlot t = biased_accumulator;
  return (t + ((t >> 15) & 15)) >> 4;
}

// Each lane kept to 0...255.
inline ErrorSlot clamp_levels(ErrorSlot v) {
  const ErrorSlot zero{0, 0, 0, 0}, top{255, 255, 255, 255};
  v = v < zero ? zero : v;
  return v > top ? top : v;
}

// The palette's nearest-colour finder for the length of one call.
class CallFinder {
 public:
  explicit CallFinder(PixkitPaletteHandle palette) : finder_(CreateNearestFinder(palette)) {}
  ~CallFinder() { DeleteNearestFinder(finder_); }
  CallFinder(const CallFinder&) = delete;
  CallFinder& operator=(const CallFinder&) = delete;
  PixkitNearestFinderHandle get() const { return finder_; }

 private:
  PixkitNearestFinderHandle finder_;
};

template <int Bits>
void diffuse_rows(const TDibImage& source, const TDibImage& target, PixkitNearestFinderHandle finder) {
  const int32_t width = DibWidth(source);
  const int32_t height = DibHeight(source);
  // Every accumulator stays within 16 * 255 = 4080, so the sums never wrap.
  std::vector<ErrorSlot> a(size_t(width) + 2, ErrorSlot{0, 0, 0, 0});
  std::vector<ErrorSlot> b(size_t(width) + 2, ErrorSlot{0, 0, 0, 0});
  // The target's LogPalette colours in the slot's lane order.
  // With seven times each colour, the next pixel's accumulator is one
  // subtraction away from the chosen index (see the end of the loop).
  ErrorSlot chosen[256];
  ErrorSlot chosen_times_7[256];
  for (int i = 0; i < 256; ++i) {
    const PixkitPaletteEntry& e = target.LogPalette.palPalEntry[i];
    chosen[i] = ErrorSlot{int16_t(e.peBlue), int16_t(e.peGreen), int16_t(e.peRed), 0};
    chosen_times_7[i] = 7 * chosen[i];
  }
  // Without a finder (no memory for one) every pixel asks the palette.
  PixkitNearestCells cells{};
  const bool has_cells = GetNearestCells(finder, &cells) != 0;
  bool right_to_left = false;

  for (int32_t y = 0; y < height; ++y) {
    int32_t x = 0;
    int32_t step = 1;
    ErrorSlot* cur = nullptr;
    ErrorSlot* next = nullptr;
    if (right_to_left) {
      x = width - 1;
      step = -1;
      cur = &b[1];
      next = &a[size_t(width)];
    } else {
      cur = &a[1];
      next = &b[size_t(width)];
    }
    right_to_left = !right_to_left;
    *next = ErrorSlot{0, 0, 0, 0};

    const uint8_t* in = DibRow(source, y);
    uint8_t* out = DibRow(target, y);
    // The current pixel's accumulators, carried in a register: the 7/16
    // share goes straight into the next pixel's slot value, which no later
    // step reads from memory (the buffer's next use assigns before it adds).
    ErrorSlot incoming = *cur + 8;
    for (int32_t n = 0; n < width; ++n, x += step, ++cur, --next) {
      const uint8_t* pixel = in + 3 * int64_t(x);
      const ErrorSlot source_levels{int16_t(pixel[0]), int16_t(pixel[1]), int16_t(pixel[2]), 0};
      const ErrorSlot v = clamp_levels(incoming_error(incoming) + source_levels);
      // The next pixel's biased accumulator less its share of the chosen
      // colour, worked out while the index is looked up: each pixel waits
      // on the one before it, and this takes the multiplication off that
      // wait. The 16-bit lanes wrap alike either way, and the true sums fit.
      const ErrorSlot ahead = cur[1] + 8 + 7 * v;
      int blue = 0, green = 0, red = 0;
      uint32_t cell = 0;
      if constexpr (std::endian::native == std::endian::little) {
        // One move out of the vector register, then the levels by shifts.
        // The cell number is cut straight out of the lanes (each 0...255,
        // so their high bytes are zero), a shift and a mask per channel.
        const uint64_t levels = std::bit_cast<uint64_t>(v);
        blue = int(levels & 255u);
        green = int((levels >> 16) & 255u);
        red = int((levels >> 32) & 255u);
        cell = uint32_t(((levels >> 22) & 0x3F000u) | ((levels >> 12) & 0xFC0u) | ((levels >> 2) & 0x3Fu));
      } else {
        blue = v[0];
        green = v[1];
        red = v[2];
        cell = PixkitNearestCellOf(uint32_t(red), uint32_t(green), uint32_t(blue));
      }
      unsigned i = 0;
      if (has_cells) {
        // A cell whose list holds one entry four times (its low byte equal
        // to its high byte, the list being ascending) has that entry as the
        // nearest of all its colours: no distances to work out.
        const uint32_t word = cells.words[cell];
        i = (word & 255u) == (word >> 24) ? word & 255u
                                          : PixkitFindNearestInCells(&cells, finder, red, green, blue) & 255u;
      } else {
        i = GetNearestPaletteIndex(target.PaletteHandle,
                                   uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16)) &
            255u;
      }
      put_index<Bits>(out, x, i);

      const ErrorSlot e = v - chosen[i];
      next[-1] = e;
      next[1] += 3 * e;
      next[0] += 5 * e;
      incoming = ahead - chosen_times_7[i];
    }
  }
}

}  // namespace

void DitherToPalette(const TDibImage& source, const TDibImage& target) {
  if (!source.Bits || !target.Bits || !source.Info || !target.Info) return;
  if (DibBitCount(source) != 24) return;
  const int bits = DibBitCount(target);
  if (bits != 1 && bits != 4 && bits != 8) return;
  const int32_t width = DibWidth(source);
  const int32_t height = DibHeight(source);
  if (width != DibWidth(target) || height != DibHeight(target) || width < 1 || height < 1) return;

  const CallFinder finder(target.PaletteHandle);
  if (bits == 8) diffuse_rows<8>(source, target, finder.get());
  if (bits == 4) diffuse_rows<4>(source, target, finder.get());
  if (bits == 1) diffuse_rows<1>(source, target, finder.get());
}
