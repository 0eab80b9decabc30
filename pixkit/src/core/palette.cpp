// Palette objects behind PixkitPaletteHandle and the nearest-colour search.
#include <cstring>
#include <new>
#include <vector>

#include "picture.h"
#include "pixkit/pixkit.h"

struct PixkitPalette {
  std::vector<pixkit::Rgb> entries;
  // Colours looked up before, so a picture with few distinct colours costs
  // one full search per colour. Keys carry bit 24 so that 0 means empty.
  static constexpr size_t kCacheSize = 1 << 14;
  std::vector<uint32_t> cache_keys = std::vector<uint32_t>(kCacheSize, 0);
  std::vector<uint8_t> cache_values = std::vector<uint8_t>(kCacheSize, 0);
};

namespace {

uint32_t nearest_by_search(const PixkitPalette& palette, int r, int g, int b) {
  uint32_t best = 0;
  int best_distance = 1 << 30;
  const size_t n = palette.entries.size();
  for (size_t i = 0; i < n; ++i) {
    const pixkit::Rgb& e = palette.entries[i];
    const int dr = r - e.r, dg = g - e.g, db = b - e.b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < best_distance) {
      best_distance = d;
      best = uint32_t(i);
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace

extern "C" {

PIXKIT_API PixkitPaletteHandle CreatePalette(const PixkitLogPalette* log) {
  if (!log || log->palNumEntries < 1 || log->palNumEntries > 256) return nullptr;
  try {
    auto* palette = new PixkitPalette;
    palette->entries.reserve(log->palNumEntries);
    for (unsigned i = 0; i < log->palNumEntries; ++i) {
      const PixkitPaletteEntry& e = log->palPalEntry[i];
      palette->entries.push_back(pixkit::Rgb{e.peRed, e.peGreen, e.peBlue});
    }
    return palette;
  } catch (...) {
    return nullptr;
  }
}

PIXKIT_API void DeletePalette(PixkitPaletteHandle palette) { delete palette; }

PIXKIT_API uint32_t GetNearestPaletteIndex(PixkitPaletteHandle palette, uint32_t colour) {
  if (!palette || palette->entries.empty()) return 0;
  const uint32_t key = (colour & 0xFFFFFFu) | 0x1000000u;
  const uint32_t slot = ((colour & 0xFFFFFFu) * 2654435761u) >> (32 - 14);
  if (palette->cache_keys[slot] == key) return palette->cache_values[slot];
  const uint32_t index =
      nearest_by_search(*palette, int(colour & 255), int((colour >> 8) & 255), int((colour >> 16) & 255));
  palette->cache_keys[slot] = key;
  palette->cache_values[slot] = uint8_t(index);
  return index;
}

}  // extern "C"
