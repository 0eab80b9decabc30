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
#include <cstdint>
#include <vector>

#include "image/dib_access.h"

namespace {

struct ErrorSlot {
  int16_t channel[3];  // blue, green, red, in sixteenths
};

// Writes palette index i into pixel x of a packed row, as setpixel would:
// the leftmost pixel in the high bits of its byte.
void put_index(uint8_t* row, int bits, int32_t x, unsigned i) {
  switch (bits) {
    case 8:
      row[x] = uint8_t(i);
      break;
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      uint8_t& b = row[x >> 1];
      b = uint8_t((b & ~(15u << shift)) | ((i & 15u) << shift));
      break;
    }
    default: {
      const int shift = 7 - (x & 7);
      uint8_t& b = row[x >> 3];
      b = uint8_t((b & ~(1u << shift)) | ((i & 1u) << shift));
      break;
    }
  }
}

// (accumulator + 8) / 16 truncates toward zero: -24 gives -1, -9 gives 0,
// 8 gives 1.
inline int incoming_error(int16_t accumulator) { return (int(accumulator) + 8) / 16; }

inline int16_t add16(int16_t a, int b) { return int16_t(int(a) + b); }

// The palette's nearest-colour finder for the length of one call.
class CallFinder {
 public:
  explicit CallFinder(PixkitPaletteHandle palette)
      : finder_(CreateNearestFinder(palette)), palette_(palette) {}
  ~CallFinder() { DeleteNearestFinder(finder_); }
  CallFinder(const CallFinder&) = delete;
  CallFinder& operator=(const CallFinder&) = delete;
  unsigned index_of(uint32_t colour) const {
    return (finder_ ? FindNearestPaletteIndex(finder_, colour) : GetNearestPaletteIndex(palette_, colour)) &
           255u;
  }

 private:
  PixkitNearestFinderHandle finder_;
  PixkitPaletteHandle palette_;
};

}  // namespace

void DitherToPalette(const TDibImage& source, const TDibImage& target) {
  if (!source.Bits || !target.Bits || !source.Info || !target.Info) return;
  if (DibBitCount(source) != 24) return;
  const int bits = DibBitCount(target);
  if (bits != 1 && bits != 4 && bits != 8) return;
  const int32_t width = DibWidth(source);
  const int32_t height = DibHeight(source);
  if (width != DibWidth(target) || height != DibHeight(target) || width < 1 || height < 1) return;

  std::vector<ErrorSlot> a(size_t(width) + 2, ErrorSlot{{0, 0, 0}});
  std::vector<ErrorSlot> b(size_t(width) + 2, ErrorSlot{{0, 0, 0}});
  const PixkitPaletteEntry* entries = target.LogPalette.palPalEntry;
  bool right_to_left = false;
  const CallFinder nearest(target.PaletteHandle);

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
    *next = ErrorSlot{{0, 0, 0}};

    const uint8_t* in = DibRow(source, y);
    uint8_t* out = DibRow(target, y);
    for (int32_t n = 0; n < width; ++n, x += step, ++cur, --next) {
      const uint8_t* pixel = in + 3 * int64_t(x);
      int v[3];
      for (int c = 0; c < 3; ++c) v[c] = std::clamp(incoming_error(cur->channel[c]) + pixel[c], 0, 255);
      const uint32_t colour = uint32_t(v[2]) | (uint32_t(v[1]) << 8) | (uint32_t(v[0]) << 16);
      const unsigned i = nearest.index_of(colour);
      put_index(out, bits, x, i);

      const PixkitPaletteEntry& chosen = entries[i];
      const int e[3] = {v[0] - chosen.peBlue, v[1] - chosen.peGreen, v[2] - chosen.peRed};
      for (int c = 0; c < 3; ++c) {
        next[-1].channel[c] = int16_t(e[c]);
        next[1].channel[c] = add16(next[1].channel[c], 3 * e[c]);
        next[0].channel[c] = add16(next[0].channel[c], 5 * e[c]);
        cur[1].channel[c] = add16(cur[1].channel[c], 7 * e[c]);
      }
    }
  }
}
