// SPDX-License-Identifier: LGPL-2.1-or-later
// What the bit copy and the recoding writer share: the scan's components
// with their tables, and the source's header as the output carries it.
#pragma once

#include <cstdint>
#include <vector>

#include "jpeg_blocks.h"
#include "jpeg_blocks_huffman.h"

namespace pixkit {

// The scan's components in scan order, with the tables and block layout.
struct ScanComponent {
  int index = 0;  // in comp_info
  int h = 1, v = 1;
  JDIMENSION across = 0;  // blocks a row in the job's arrays
  const JHUFF_TBL* dc = nullptr;
  const JHUFF_TBL* ac = nullptr;
};

int scan_components(const jpeg_decompress_struct& src, ScanComponent* out);

// Huffman tables that take the place of the source's: a whole DHT segment
// and the table number each component (by index) uses for DC and AC alike.
struct NewTables {
  std::vector<uint8_t> segment;
  uint8_t slot_of[MAX_COMPONENTS] = {};
};

// Appends the source's header up to and including the scan header, with
// the application markers kept as the ordinary save keeps them; with
// tables, the source's DHT segments are left out and the new ones put
// before the scan header. False when the header cannot be read again.
bool append_kept_header(const BlockJob& job, const NewTables* tables, std::vector<uint8_t>& out);

// The block (bx, by) of MCU (mx, my) of a scan component in the job's own
// arrays.
inline const JCOEF* own_block(const BlockJob& job, const ScanComponent& c, size_t mx, size_t my, int bx,
                              int by) {
  return job.own[c.index].blocks[(my * size_t(c.v) + size_t(by)) * c.across + mx * size_t(c.h) + size_t(bx)];
}

// Writes the scan after the header in out and ends the file: restart
// markers where the source has them, each run of kept MCUs [first, end)
// (up to the next touched one or the end of its interval) through
// carry(first, end, bits), and the touched MCUs and the one after each
// touched run coded from their blocks with component i's tables dc[i] and
// ac[i]. False when carry or a block's coding fails.
template <class Carry>
bool write_scan(const BlockJob& job, const std::vector<uint8_t>& touched, const ScanComponent* comps,
                int count, const HuffmanEncodeTable* const* dc, const HuffmanEncodeTable* const* ac,
                std::vector<uint8_t>& out, Carry&& carry) {
  const size_t across = size_t(job.geometry.mcus_across);
  const size_t mcus = touched.size();
  const size_t interval = job.src.restart_interval;
  // An interval starts from predictors of zero, in the source and here.
  const auto starts_interval = [interval](size_t m) { return interval && m > 0 && m % interval == 0; };
  ScanBitWriter bits(out);
  int predictor[MAX_COMPS_IN_SCAN] = {};
  size_t m = 0;
  while (m < mcus) {
    if (starts_interval(m)) bits.restart_marker(int((m / interval - 1) & 7));
    const bool follows_touched = m > 0 && touched[m - 1] && !starts_interval(m);
    if (!touched[m] && !follows_touched) {
      size_t end = m + 1;
      while (end < mcus && !touched[end] && !starts_interval(end)) ++end;
      if (!carry(m, end, bits)) return false;
      m = end;
      continue;
    }
    // The blocks before were carried over, or are the interval's first:
    // the source's predictors hold.
    if (!follows_touched)
      for (int i = 0; i < count; ++i) predictor[i] = job.mcu_predictors[m * size_t(count) + size_t(i)];
    for (int i = 0; i < count; ++i)
      for (int by = 0; by < comps[i].v; ++by)
        for (int bx = 0; bx < comps[i].h; ++bx)
          if (!encode_block(bits, *dc[i], *ac[i], predictor[i],
                            own_block(job, comps[i], m % across, m / across, bx, by)))
            return false;
    ++m;
  }
  bits.finish();
  out.push_back(0xFF);
  out.push_back(0xD9);
  return true;
}

}  // namespace pixkit
