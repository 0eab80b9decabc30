// SPDX-License-Identifier: LGPL-2.1-or-later
// The bit copy: for a baseline JPEG with one scan of all its components, the
// scan is read once to find where each MCU's bits start and what the DC
// predictors are there; the output copies every run of untouched MCUs as
// the source's bits and codes with the source's own Huffman tables only the
// touched MCUs and the first MCU after each touched run (whose DC
// differences now count from new values), unless a restart interval starts
// there and its predictors start from zero anyway. Restart markers are
// written at the MCUs where the source has them. An untouched block keeps
// its bits, so its coefficients are the source's by construction.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "jpeg_blocks.h"
#include "jpeg_blocks_huffman.h"
#include "jpeg_blocks_scan.h"

namespace pixkit {
namespace {

// The scan from offset on, unstuffed, a chunk at a time: the file is read
// only up to the marker that ends the scan, whatever follows it.
bool read_scan(const RangeSource& file, uint64_t offset, std::vector<uint8_t>& scan,
               std::vector<size_t>& restarts) {
  constexpr size_t kChunk = 1 << 20;
  std::vector<uint8_t> chunk(kChunk + 1);
  scan.clear();
  restarts.clear();
  scan.reserve(size_t(file.size() - std::min(offset, file.size())));
  size_t carried = 0;  // a 0xFF that ended the last chunk, held for its partner
  while (offset < file.size()) {
    const size_t count = size_t(std::min<uint64_t>(kChunk, file.size() - offset));
    if (!file.read(offset, chunk.data() + carried, count)) return false;
    offset += count;
    const size_t have = carried + count;
    const bool split = chunk[have - 1] == 0xFF && offset < file.size();
    if (unstuff_scan_into(chunk.data(), split ? have - 1 : have, scan, &restarts)) return true;
    carried = split ? 1 : 0;
    chunk[0] = 0xFF;
  }
  // No marker ends the scan: the file was cut short, which the ordinary
  // reader refuses.
  return false;
}

bool is_app_with(const uint8_t* segment, size_t length, const char* tag, size_t tag_length) {
  return length >= 2 + tag_length && std::memcmp(segment + 4, tag, tag_length) == 0;
}

}  // namespace

int scan_components(const jpeg_decompress_struct& src, ScanComponent* out) {
  for (int i = 0; i < src.comps_in_scan; ++i) {
    const jpeg_component_info* comp = src.cur_comp_info[i];
    ScanComponent& s = out[i];
    s.index = comp->component_index;
    // One component alone is coded block by block.
    s.h = src.comps_in_scan == 1 ? 1 : comp->h_samp_factor;
    s.v = src.comps_in_scan == 1 ? 1 : comp->v_samp_factor;
    s.across = source_blocks_across(src, s.index);
    s.dc = src.dc_huff_tbl_ptrs[comp->dc_tbl_no];
    s.ac = src.ac_huff_tbl_ptrs[comp->ac_tbl_no];
  }
  return src.comps_in_scan;
}

bool append_kept_header(const BlockJob& job, const NewTables* tables, std::vector<uint8_t>& out) {
  // The header as the source has it, the application markers kept as the
  // ordinary save keeps them: JFIF, the EXIF block (when sound) and the ICC
  // profile (when whole); other APPn and comments are left out. New tables
  // take the place of the source's, just before the scan header, which
  // then names them.
  std::vector<uint8_t> header(size_t(job.scan_offset));
  if (!job.file->read(0, header.data(), header.size()) || header.size() < 4) return false;
  out.reserve(header.size() + job.scan.size() + job.scan.size() / 64 + 1024);
  out.insert(out.end(), header.begin(), header.begin() + 2);
  size_t at = 2;
  while (at + 4 <= header.size()) {
    if (header[at] != 0xFF) return false;
    if (header[at + 1] == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const uint8_t code = header[at + 1];
    const size_t length = size_t(header[at + 2]) << 8 | header[at + 3];
    if (length < 2 || at + 2 + length > header.size()) return false;
    const uint8_t* segment = header.data() + at;
    bool kept = true;
    if ((code >= 0xE0 && code <= 0xEF) || code == 0xFE) {
      kept = (code == 0xE0 && is_app_with(segment, length, "JFIF", 5)) ||
             (code == 0xE1 && !job.exif_marker.empty() && is_app_with(segment, length, "Exif\0", 6)) ||
             (code == 0xE2 && !job.icc.empty() && is_app_with(segment, length, "ICC_PROFILE", 12));
    } else if (tables && code == 0xC4) {
      kept = false;
    }
    if (tables && code == 0xDA) {
      // The scan header: Ns, then a component and its table numbers each.
      const size_t count = length >= 3 ? segment[4] : 0;
      if (count != size_t(job.src.comps_in_scan) || length < 6 + 2 * count) return false;
      out.insert(out.end(), tables->segment.begin(), tables->segment.end());
      const size_t start = out.size();
      out.insert(out.end(), segment, segment + 2 + length);
      for (size_t i = 0; i < count; ++i) {
        const uint8_t slot = tables->slot_of[job.src.cur_comp_info[i]->component_index];
        out[start + 5 + 2 * i + 1] = uint8_t(slot << 4 | slot);
      }
      kept = false;
    }
    if (kept) out.insert(out.end(), segment, segment + 2 + length);
    at += 2 + length;
  }
  return true;
}

bool bit_copy_suits(const jpeg_decompress_struct& src) {
  if (src.progressive_mode || src.comps_in_scan != src.num_components) return false;
  if (src.Ss != 0 || src.Se != 63 || src.Ah != 0 || src.Al != 0) return false;
  if (src.num_components == 1 && (src.comp_info[0].h_samp_factor != 1 || src.comp_info[0].v_samp_factor != 1))
    return false;
  for (int i = 0; i < src.comps_in_scan; ++i) {
    const jpeg_component_info* comp = src.cur_comp_info[i];
    // The scan header names tables 0..15; libjpeg checks them only once it
    // decodes, which the bit copy does itself.
    if (comp->dc_tbl_no < 0 || comp->dc_tbl_no >= NUM_HUFF_TBLS || comp->ac_tbl_no < 0 ||
        comp->ac_tbl_no >= NUM_HUFF_TBLS)
      return false;
    if (!src.dc_huff_tbl_ptrs[comp->dc_tbl_no] || !src.ac_huff_tbl_ptrs[comp->ac_tbl_no]) return false;
  }
  return true;
}

bool scan_tables_code_everything(const jpeg_decompress_struct& src) {
  for (int i = 0; i < src.comps_in_scan; ++i) {
    const jpeg_component_info* comp = src.cur_comp_info[i];
    if (!tables_code_everything(*src.dc_huff_tbl_ptrs[comp->dc_tbl_no],
                                *src.ac_huff_tbl_ptrs[comp->ac_tbl_no]))
      return false;
  }
  return true;
}

const char* read_scan_for_bit_copy(BlockJob& job, const std::vector<uint8_t>& wanted,
                                   const std::vector<uint8_t>* touched) {
  const jpeg_decompress_struct& src = job.src;
  ScanComponent comps[MAX_COMPS_IN_SCAN];
  const int count = scan_components(src, comps);
  HuffmanDecodeTable dc[MAX_COMPS_IN_SCAN], ac[MAX_COMPS_IN_SCAN];
  for (int i = 0; i < count; ++i)
    if (!make_decode_table(*comps[i].dc, dc[i]) || !make_decode_table(*comps[i].ac, ac[i]))
      return "jpeg: bad Huffman table";
  for (int i = 0; i < count; ++i) {
    const size_t blocks = size_t(comps[i].across) * source_blocks_down(src, comps[i].index);
    if (!job.own[comps[i].index].allocate(blocks)) return "jpeg: out of memory";
  }
  if (!read_scan(*job.file, job.scan_offset, job.scan, job.restarts)) return "jpeg: file ends early";

  const BlockGeometry& g = job.geometry;
  const size_t mcus = size_t(g.mcus_across) * size_t(g.mcus_down);
  job.mcu_bits.assign(mcus + 1, 0);
  job.mcu_predictors.assign(mcus * size_t(count), 0);
  job.interval_end_bits.clear();
  ScanBitReader bits(job.scan.data(), job.scan.size());
  int predictor[MAX_COMPS_IN_SCAN] = {};
  const size_t interval = src.restart_interval;
  job.counted = touched != nullptr;
  for (SymbolCounts& c : job.counts) c = SymbolCounts{};
  SymbolCounts* counts_of[MAX_COMPS_IN_SCAN];
  for (int i = 0; i < count; ++i) counts_of[i] = &job.counts[comps[i].index == 0 ? 0 : 1];
  size_t m = 0, restart = 0;
  for (int32_t my = 0; my < g.mcus_down; ++my)
    for (int32_t mx = 0; mx < g.mcus_across; ++mx, ++m) {
      if (interval && m > 0 && m % interval == 0) {
        // A new interval: byte-aligned where the source's marker stood,
        // predictors from zero.
        job.interval_end_bits.push_back(bits.position());
        bits.align();
        if (restart >= job.restarts.size() || bits.position() != uint64_t(job.restarts[restart]) * 8)
          return "jpeg: restart markers out of step";
        ++restart;
        for (int& p : predictor) p = 0;
      }
      job.mcu_bits[m] = bits.position();
      for (int i = 0; i < count; ++i) job.mcu_predictors[m * size_t(count) + size_t(i)] = predictor[i];
      const bool keep = wanted[m] != 0;
      // The MCUs a recoding carries over as they are: neither touched nor
      // coded from a new DC value after a touched one.
      const bool carried =
          touched && !(*touched)[m] && !(m > 0 && (*touched)[m - 1] && !(interval && m % interval == 0));
      for (int i = 0; i < count; ++i) {
        const ScanComponent& c = comps[i];
        for (int by = 0; by < c.v; ++by)
          for (int bx = 0; bx < c.h; ++bx) {
            JCOEF* block = nullptr;
            if (keep)
              block = job.own[c.index].blocks[(size_t(my) * size_t(c.v) + size_t(by)) * c.across +
                                              size_t(mx) * size_t(c.h) + size_t(bx)];
            if (!decode_block(bits, dc[i], ac[i], predictor[i], block, carried ? counts_of[i] : nullptr))
              return "jpeg: damaged scan";
          }
      }
    }
  job.mcu_bits[mcus] = bits.position();
  return nullptr;
}

bool write_bit_copy(BlockJob& job, const std::vector<uint8_t>& touched, std::vector<uint8_t>& out) {
  const jpeg_decompress_struct& src = job.src;
  ScanComponent comps[MAX_COMPS_IN_SCAN];
  const int count = scan_components(src, comps);
  HuffmanEncodeTable dc[MAX_COMPS_IN_SCAN], ac[MAX_COMPS_IN_SCAN];
  for (int i = 0; i < count; ++i) {
    make_encode_table(*comps[i].dc, dc[i]);
    make_encode_table(*comps[i].ac, ac[i]);
  }

  if (!append_kept_header(job, nullptr, out)) return false;
  const HuffmanEncodeTable* dc_of[MAX_COMPS_IN_SCAN];
  const HuffmanEncodeTable* ac_of[MAX_COMPS_IN_SCAN];
  for (int i = 0; i < count; ++i) dc_of[i] = &dc[i], ac_of[i] = &ac[i];
  const size_t interval = src.restart_interval;
  return write_scan(job, touched, comps, count, dc_of, ac_of, out,
                    [&](size_t first, size_t end, ScanBitWriter& bits) {
                      // The source's padding before its restart marker is not copied.
                      const uint64_t stop = end < touched.size() && interval && end % interval == 0
                                                ? job.interval_end_bits[end / interval - 1]
                                                : job.mcu_bits[end];
                      bits.copy(job.scan.data(), job.scan.size(), job.mcu_bits[first], stop);
                      return true;
                    });
}

}  // namespace pixkit
