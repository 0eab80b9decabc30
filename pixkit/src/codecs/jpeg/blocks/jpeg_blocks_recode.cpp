// SPDX-License-Identifier: LGPL-2.1-or-later
// Recoding one scan: when the source's Huffman tables were made for its own
// picture alone (optimised tables) and lack a symbol a stamped block needs,
// the output gets tables made for its own symbols. The scan was read once
// already (read_scan_for_bit_copy), counting the symbols of every MCU that
// stays as it is; the MCUs coded from their blocks (the touched ones and the
// first after each touched run) are counted here. Then each kept MCU's
// symbols and value bits are carried over under the new codes, so its
// coefficients stay the source's, and the rest are coded from their blocks.
// Only the scan and the blocks of the MCUs asked for are in memory.

#include "jpeg_blocks.h"
#include "jpeg_blocks_huffman.h"
#include "jpeg_blocks_scan.h"

namespace pixkit {
namespace {

// The MCUs coded from their blocks, in the order of the scan: the touched
// ones and the first after each touched run, unless a restart interval
// starts there. fn(m, predictors_from_source) for each; a false return
// stops the walk.
template <class Fn>
bool each_coded_mcu(const std::vector<uint8_t>& touched, size_t interval, Fn&& fn) {
  for (size_t m = 0; m < touched.size(); ++m) {
    const bool starts_interval = interval && m > 0 && m % interval == 0;
    const bool follows_touched = m > 0 && touched[m - 1] && !starts_interval;
    if ((touched[m] || follows_touched) && !fn(m, !follows_touched)) return false;
  }
  return true;
}

// A DHT segment of the new tables: DC and AC of table 0, and of table 1
// when a second one is used.
std::vector<uint8_t> tables_segment(const JHUFF_TBL (&dc)[2], const JHUFF_TBL (&ac)[2], int count) {
  std::vector<uint8_t> body;
  for (int t = 0; t < count; ++t)
    for (int is_ac = 0; is_ac < 2; ++is_ac) {
      const JHUFF_TBL& table = is_ac ? ac[t] : dc[t];
      body.push_back(uint8_t(is_ac << 4 | t));
      int symbols = 0;
      for (int i = 1; i <= 16; ++i) {
        body.push_back(table.bits[i]);
        symbols += table.bits[i];
      }
      body.insert(body.end(), table.huffval, table.huffval + symbols);
    }
  const size_t length = body.size() + 2;
  std::vector<uint8_t> segment{0xFF, 0xC4, uint8_t(length >> 8), uint8_t(length & 0xFF)};
  segment.insert(segment.end(), body.begin(), body.end());
  return segment;
}

}  // namespace

bool write_recoded(BlockJob& job, const std::vector<uint8_t>& touched, std::vector<uint8_t>& out) {
  if (!job.counted) return false;
  const jpeg_decompress_struct& src = job.src;
  ScanComponent comps[MAX_COMPS_IN_SCAN];
  const int count = scan_components(src, comps);
  const BlockGeometry& g = job.geometry;
  const size_t across = size_t(g.mcus_across);
  const size_t interval = src.restart_interval;
  int slot[MAX_COMPS_IN_SCAN];
  bool second_table = false;
  for (int i = 0; i < count; ++i) {
    slot[i] = comps[i].index == 0 ? 0 : 1;
    second_table = second_table || slot[i] == 1;
  }

  // The symbols of the MCUs coded from their blocks, then the tables.
  SymbolCounts counts[2] = {job.counts[0], job.counts[1]};
  int predictor[MAX_COMPS_IN_SCAN] = {};
  const bool countable = each_coded_mcu(touched, interval, [&](size_t m, bool from_source) {
    if (from_source)
      for (int i = 0; i < count; ++i) predictor[i] = job.mcu_predictors[m * size_t(count) + size_t(i)];
    for (int i = 0; i < count; ++i)
      for (int by = 0; by < comps[i].v; ++by)
        for (int bx = 0; bx < comps[i].h; ++bx)
          if (!count_block(counts[slot[i]], predictor[i],
                           own_block(job, comps[i], m % across, m / across, bx, by)))
            return false;
    return true;
  });
  if (!countable) return false;
  JHUFF_TBL dc_tables[2], ac_tables[2];
  HuffmanEncodeTable new_dc[2], new_ac[2];
  const int tables = second_table ? 2 : 1;
  for (int t = 0; t < tables; ++t) {
    make_optimal_table(counts[t].dc, dc_tables[t]);
    make_optimal_table(counts[t].ac, ac_tables[t]);
    make_encode_table(dc_tables[t], new_dc[t]);
    make_encode_table(ac_tables[t], new_ac[t]);
  }
  HuffmanDecodeTable old_dc[MAX_COMPS_IN_SCAN], old_ac[MAX_COMPS_IN_SCAN];
  std::vector<TranscodeTable> fast(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (!make_decode_table(*comps[i].dc, old_dc[i]) || !make_decode_table(*comps[i].ac, old_ac[i]))
      return false;
    make_transcode_table(old_ac[i], new_ac[slot[i]], fast[size_t(i)]);
  }

  NewTables header_tables;
  header_tables.segment = tables_segment(dc_tables, ac_tables, tables);
  for (int i = 0; i < count; ++i) header_tables.slot_of[comps[i].index] = uint8_t(slot[i]);
  if (!append_kept_header(job, &header_tables, out)) return false;

  const HuffmanEncodeTable* dc_of[MAX_COMPS_IN_SCAN];
  const HuffmanEncodeTable* ac_of[MAX_COMPS_IN_SCAN];
  for (int i = 0; i < count; ++i) dc_of[i] = &new_dc[slot[i]], ac_of[i] = &new_ac[slot[i]];
  ScanBitReader in(job.scan.data(), job.scan.size());
  return write_scan(
      job, touched, comps, count, dc_of, ac_of, out, [&](size_t first, size_t end, ScanBitWriter& bits) {
        // A run of kept MCUs lies in one piece of the source's bits.
        in.seek(job.mcu_bits[first]);
        for (size_t m = first; m < end; ++m)
          for (int i = 0; i < count; ++i)
            for (int b = 0; b < comps[i].v * comps[i].h; ++b)
              if (!transcode_block(in, old_dc[i], old_ac[i], fast[size_t(i)], bits, *dc_of[i], *ac_of[i]))
                return false;
        return true;
      });
}

}  // namespace pixkit
