// SPDX-License-Identifier: LGPL-2.1-or-later
// Palette objects behind PixkitPaletteHandle and the nearest-colour search.
//
// The search must give the entry with the smallest squared RGB distance and
// the lowest index among equals, and it runs once per pixel when a picture is
// dithered. The colour cube is cut into 16 x 16 x 16 cells; for each cell the
// palette keeps the few entries that can be nearest to some colour inside it
// (those no farther from the cell than the cell's best worst case), in index
// order. A lookup then searches only that short list. The table is made on the
// first lookup and never changes afterwards, so any number of threads may look
// up colours in one palette at once.
//
// A finder serves one caller that looks up millions of colours, as the
// dithering does: it cuts each coarse cell again into 4 x 4 x 4 cells as they
// are met and keeps their (shorter) lists, made from the coarse cell's list
// alone. It gives the same answers and belongs to one thread.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "picture.h"
#include "pixkit/pixkit.h"

namespace {

constexpr int kCellShift = 4;
constexpr int kCellSide = 1 << kCellShift;  // colour levels per cell and channel
constexpr int kCellsPerChannel = 256 / kCellSide;
constexpr int kCells = kCellsPerChannel * kCellsPerChannel * kCellsPerChannel;

struct CandidateTable {
  std::vector<uint32_t> first;   // kCells + 1 offsets into entries
  std::vector<uint8_t> entries;  // palette indices, ascending within a cell
};

}  // namespace

struct PixkitPalette {
  std::vector<pixkit::Rgb> entries;
  std::once_flag table_made;
  CandidateTable table;
};

namespace {

// Squared distances along one channel from an entry's level to the nearest
// and to the farthest level of each cell.
struct ChannelReach {
  std::array<std::array<int, kCellsPerChannel>, 256> nearest{};
  std::array<std::array<int, kCellsPerChannel>, 256> farthest{};
};

int square(int v) { return v * v; }

void make_channel_reach(ChannelReach& reach) {
  for (int level = 0; level < 256; ++level) {
    for (int cell = 0; cell < kCellsPerChannel; ++cell) {
      const int lo = cell * kCellSide, hi = lo + kCellSide - 1;
      const int gap = level < lo ? lo - level : level > hi ? level - hi : 0;
      reach.nearest[size_t(level)][size_t(cell)] = square(gap);
      reach.farthest[size_t(level)][size_t(cell)] = std::max(square(level - lo), square(level - hi));
    }
  }
}

void make_candidate_table(PixkitPalette& palette) {
  auto reach = std::make_unique<ChannelReach>();
  make_channel_reach(*reach);
  const size_t n = palette.entries.size();
  std::vector<int> nearest(n);
  CandidateTable& table = palette.table;
  table.first.assign(size_t(kCells) + 1, 0);
  table.entries.reserve(size_t(kCells) * 4);
  for (int cr = 0; cr < kCellsPerChannel; ++cr) {
    for (int cg = 0; cg < kCellsPerChannel; ++cg) {
      for (int cb = 0; cb < kCellsPerChannel; ++cb) {
        const size_t cell = size_t((cr * kCellsPerChannel + cg) * kCellsPerChannel + cb);
        // Every colour of the cell lies within `bound` of some entry, so an
        // entry whose nearest point is farther than that is never chosen,
        // not even as an equal.
        int bound = 1 << 30;
        for (size_t i = 0; i < n; ++i) {
          const pixkit::Rgb& e = palette.entries[i];
          nearest[i] = reach->nearest[e.r][size_t(cr)] + reach->nearest[e.g][size_t(cg)] +
                       reach->nearest[e.b][size_t(cb)];
          const int farthest = reach->farthest[e.r][size_t(cr)] + reach->farthest[e.g][size_t(cg)] +
                               reach->farthest[e.b][size_t(cb)];
          bound = std::min(bound, farthest);
        }
        table.first[cell] = uint32_t(table.entries.size());
        for (size_t i = 0; i < n; ++i)
          if (nearest[i] <= bound) table.entries.push_back(uint8_t(i));
      }
    }
  }
  table.first[size_t(kCells)] = uint32_t(table.entries.size());
}

size_t coarse_cell_of(int r, int g, int b) {
  return size_t((((r >> kCellShift) * kCellsPerChannel) + (g >> kCellShift)) * kCellsPerChannel +
                (b >> kCellShift));
}

// The candidate among [candidate, end) nearest to (r, g, b), the first one
// among equals; the list is in index order and never empty.
uint32_t nearest_in_list(const PixkitPalette& palette, const uint8_t* candidate, const uint8_t* end, int r,
                         int g, int b) {
  // Distance and index in one key: the smallest key is the smallest
  // distance, and among equal distances the lowest index. Taking the minimum
  // needs no branch that depends on the colours.
  uint32_t best = ~0u;
  for (; candidate != end; ++candidate) {
    const pixkit::Rgb& e = palette.entries[*candidate];
    const int dr = r - e.r, dg = g - e.g, db = b - e.b;
    const uint32_t key = (uint32_t(dr * dr + dg * dg + db * db) << 8) | *candidate;
    best = std::min(best, key);
  }
  return best & 255u;
}

uint32_t nearest_among_candidates(const PixkitPalette& palette, int r, int g, int b) {
  const size_t cell = coarse_cell_of(r, g, b);
  const uint8_t* list = palette.table.entries.data();
  return nearest_in_list(palette, list + palette.table.first[cell], list + palette.table.first[cell + 1], r,
                         g, b);
}

constexpr int kFineShift = 2;
constexpr int kFineSide = 1 << kFineShift;
constexpr int kFinePerChannel = 256 / kFineSide;
constexpr size_t kFineCells = size_t(kFinePerChannel) * kFinePerChannel * kFinePerChannel;

// Squared distances from a level to the nearest and the farthest level of a
// fine cell's side, by the level's distance from the side's low level
// (-255...255, held at that plus 255): worked out when the library is built.
struct FineReach {
  int nearest;
  int farthest;
};

constexpr std::array<FineReach, 511> make_fine_reach() {
  std::array<FineReach, 511> reach{};
  for (int d = -255; d <= 255; ++d) {
    const int gap = d < 0 ? -d : d > kFineSide - 1 ? d - (kFineSide - 1) : 0;
    const int low = d * d, high = (d - (kFineSide - 1)) * (d - (kFineSide - 1));
    reach[size_t(d + 255)] = FineReach{gap * gap, low > high ? low : high};
  }
  return reach;
}

constexpr std::array<FineReach, 511> kFineReach = make_fine_reach();

}  // namespace

struct PixkitNearestFinder {
  const PixkitPalette* palette = nullptr;
  // One word per fine cell, laid out as pixkit.h describes for callers that
  // read the table themselves: four indices per word, a shorter list
  // repeating its last index, so that a lookup always tries four entries and
  // never branches on the length (a repeat is the same distance and index and
  // cannot change the answer). As no list descends, a low byte above the high
  // byte marks the two other kinds of word: kNotMade, and kLongList in the
  // low byte with the offset into long_lists in the upper three bytes (a byte
  // with the length less one precedes the list there).
  static constexpr uint32_t kNotMade = 1;
  static constexpr uint32_t kLongList = 255;
  static constexpr size_t kMaxLongOffset = size_t(255) << 16;  // keeps the high byte below 255
  std::vector<uint32_t> cells = std::vector<uint32_t>(kFineCells, kNotMade);
  std::vector<uint8_t> long_lists;
  std::vector<uint8_t> scratch;
  // A candidate's nearest distance to the cell while its list is made, then
  // six to an entry: the squared distances to the cell's low and high red,
  // green and blue levels.
  std::vector<int> nearest_scratch;

  std::array<uint8_t, 1024> colours{};  // red, green, blue, 0 per entry

  static size_t fine_cell_of(int r, int g, int b) {
    return PixkitNearestCellOf(uint32_t(r), uint32_t(g), uint32_t(b));
  }

  static bool is_list(uint32_t word) { return (word & 255u) <= (word >> 24); }

  // Removes from scratch every entry that another entry beats throughout the
  // fine cell at (lr, lg, lb): nearer everywhere, or as near somewhere and of
  // a lower index. The difference of two squared distances is linear in each
  // channel, so its largest value over the cell is at a corner, channel by
  // channel. Beating is transitive, so the entry that wins at any colour of
  // the cell is never removed, whichever entries remain to beat the others.
  // Each entry's squared distances to the cell's low and high levels are
  // worked out once, as a pair's test only subtracts them.
  void drop_beaten_candidates(int lr, int lg, int lb) {
    const size_t count = scratch.size();
    if (count <= 1) return;
    constexpr int hi = kFineSide - 1;
    nearest_scratch.resize(6 * count);
    for (size_t k = 0; k < count; ++k) {
      const pixkit::Rgb& e = palette->entries[scratch[k]];
      int* reach = &nearest_scratch[6 * k];
      reach[0] = square(lr - e.r);
      reach[1] = square(lr + hi - e.r);
      reach[2] = square(lg - e.g);
      reach[3] = square(lg + hi - e.g);
      reach[4] = square(lb - e.b);
      reach[5] = square(lb + hi - e.b);
    }
    const auto widest_gain = [](const int* i, const int* j) { return std::max(i[0] - j[0], i[1] - j[1]); };
    size_t kept = 0;
    for (size_t jj = 0; jj < count; ++jj) {
      const int* j = &nearest_scratch[6 * jj];
      bool beaten = false;
      for (size_t ii = 0; ii < count && !beaten; ++ii) {
        const int* i = &nearest_scratch[6 * ii];
        const int most = widest_gain(i, j) + widest_gain(i + 2, j + 2) + widest_gain(i + 4, j + 4);
        beaten = ii != jj && (most < 0 || (most == 0 && ii < jj));
      }
      if (!beaten) scratch[kept++] = scratch[jj];
    }
    scratch.resize(kept);
  }

  // Makes the fine cell's list from its coarse cell's list; false when it
  // would not fit (the coarse list then answers for it).
  bool make_fine_cell(size_t cell, int r, int g, int b) {
    const int lr = r & ~(kFineSide - 1), lg = g & ~(kFineSide - 1), lb = b & ~(kFineSide - 1);
    const size_t coarse = coarse_cell_of(r, g, b);
    const uint8_t* list = palette->table.entries.data() + palette->table.first[coarse];
    const uint8_t* end = palette->table.entries.data() + palette->table.first[coarse + 1];
    nearest_scratch.resize(size_t(end - list));
    int bound = 1 << 30;
    for (const uint8_t* c = list; c != end; ++c) {
      const pixkit::Rgb& e = palette->entries[*c];
      const FineReach& red = kFineReach[size_t(e.r - lr + 255)];
      const FineReach& green = kFineReach[size_t(e.g - lg + 255)];
      const FineReach& blue = kFineReach[size_t(e.b - lb + 255)];
      nearest_scratch[size_t(c - list)] = red.nearest + green.nearest + blue.nearest;
      bound = std::min(bound, red.farthest + green.farthest + blue.farthest);
    }
    scratch.clear();
    for (const uint8_t* c = list; c != end; ++c)
      if (nearest_scratch[size_t(c - list)] <= bound) scratch.push_back(*c);
    drop_beaten_candidates(lr, lg, lb);
    if (scratch.size() <= 4) {
      uint32_t word = 0;
      for (size_t i = 0; i < 4; ++i) word |= uint32_t(scratch[std::min(i, scratch.size() - 1)]) << (8 * i);
      cells[cell] = word;
      return true;
    }
    const size_t offset = long_lists.size();
    if (offset >= kMaxLongOffset) return false;
    long_lists.push_back(uint8_t(scratch.size() - 1));
    long_lists.insert(long_lists.end(), scratch.begin(), scratch.end());
    cells[cell] = uint32_t(offset << 8) | kLongList;
    return true;
  }

  uint32_t nearest(int r, int g, int b) {
    const size_t cell = fine_cell_of(r, g, b);
    uint32_t word = cells[cell];
    if (is_list(word)) [[likely]]
      return PixkitNearestOfFour(colours.data(), word, r, g, b);
    if (word == kNotMade) {
      if (!make_fine_cell(cell, r, g, b)) return nearest_among_candidates(*palette, r, g, b);
      word = cells[cell];
      if (is_list(word)) return PixkitNearestOfFour(colours.data(), word, r, g, b);
    }
    const uint8_t* list = long_lists.data() + (word >> 8);
    return nearest_in_list(*palette, list + 1, list + 2 + list[0], r, g, b);
  }
};

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
  try {
    std::call_once(palette->table_made, make_candidate_table, std::ref(*palette));
  } catch (...) {
    return 0;  // no room for the table; call_once lets a later lookup try again
  }
  return nearest_among_candidates(*palette, int(colour & 255), int((colour >> 8) & 255),
                                  int((colour >> 16) & 255));
}

PIXKIT_API PixkitNearestFinderHandle CreateNearestFinder(PixkitPaletteHandle palette) {
  if (!palette || palette->entries.empty()) return nullptr;
  try {
    std::call_once(palette->table_made, make_candidate_table, std::ref(*palette));
    auto* finder = new PixkitNearestFinder;
    finder->palette = palette;
    for (size_t i = 0; i < palette->entries.size(); ++i) {
      finder->colours[4 * i] = palette->entries[i].r;
      finder->colours[4 * i + 1] = palette->entries[i].g;
      finder->colours[4 * i + 2] = palette->entries[i].b;
    }
    return finder;
  } catch (...) {
    return nullptr;
  }
}

PIXKIT_API uint32_t FindNearestPaletteIndex(PixkitNearestFinderHandle finder, uint32_t colour) {
  if (!finder) return 0;
  const int r = int(colour & 255), g = int((colour >> 8) & 255), b = int((colour >> 16) & 255);
  try {
    return finder->nearest(r, g, b);
  } catch (...) {
    return nearest_among_candidates(*finder->palette, r, g, b);  // no room to keep the fine cell
  }
}

PIXKIT_API int GetNearestCells(PixkitNearestFinderHandle finder, PixkitNearestCells* cells) {
  if (!finder || !cells) return 0;
  cells->words = finder->cells.data();
  cells->colours = finder->colours.data();
  return 1;
}

PIXKIT_API void DeleteNearestFinder(PixkitNearestFinderHandle finder) { delete finder; }

}  // extern "C"
