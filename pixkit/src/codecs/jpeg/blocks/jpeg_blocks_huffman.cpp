// SPDX-License-Identifier: LGPL-2.1-or-later
// Baseline Huffman coding (ITU T.81, F.1.2 and F.2.2) over a source's own
// tables. Coefficients are held in natural order, as libjpeg holds them.
#include "jpeg_blocks_huffman.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace pixkit {
namespace {

// Zigzag position k holds natural index kNatural[k]; a run past position 63
// is refused before it is looked up.
constexpr uint8_t kNatural[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                  35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                  58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

constexpr int kFastBits = 9;

// The value of a magnitude category's extra bits (T.81 F.2.2.1, EXTEND).
int extend(uint32_t bits, int size) {
  return bits < (1u << (size - 1)) ? int(bits) - (1 << size) + 1 : int(bits);
}

// Inlined: it runs once for every coefficient of the picture.
[[gnu::always_inline]] inline int decode_symbol(ScanBitReader& bits, const HuffmanDecodeTable& t) {
  const uint32_t ahead = bits.peek(kFastBits);
  if (t.fast_length[ahead] != 0) {
    bits.skip(t.fast_length[ahead]);
    return t.fast_symbol[ahead];
  }
  int32_t code = int32_t(bits.peek(kFastBits + 1));
  int length = kFastBits + 1;
  while (length <= 16 && code > t.max_code[length]) {
    ++length;
    code = int32_t(bits.peek(length));
  }
  if (length > 16) return -1;
  bits.skip(length);
  const int32_t index = t.value_at[length] + code;
  return index >= 0 && index < 256 ? t.values[index] : -1;
}

// Magnitude category of a value: the bits it takes.
int category_of(int value) {
  unsigned v = unsigned(value < 0 ? -value : value);
  int size = 0;
  while (v) {
    ++size;
    v >>= 1;
  }
  return size;
}

// Walks the symbols a block is coded with against predictor: on_dc(size,
// value bits) once, then on_ac(symbol, value bits, size) for each AC
// symbol in order. False when a value is beyond what a baseline table
// codes or a callback says no.
template <class OnDc, class OnAc>
bool each_symbol(int predictor, const JCOEF* block, OnDc&& on_dc, OnAc&& on_ac) {
  const int diff = block[0] - predictor;
  const int dc_size = category_of(diff);
  if (dc_size > 11 || !on_dc(dc_size, uint32_t(diff < 0 ? diff - 1 : diff) & ((1u << dc_size) - 1)))
    return false;
  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int v = block[kNatural[k]];
    if (v == 0) {
      ++run;
      continue;
    }
    for (; run > 15; run -= 16)
      if (!on_ac(0xF0, 0, 0)) return false;
    const int size = category_of(v);
    if (size > 10 || !on_ac((run << 4) | size, uint32_t(v < 0 ? v - 1 : v) & ((1u << size) - 1), size))
      return false;
    run = 0;
  }
  return run == 0 || on_ac(0x00, 0, 0);
}

}  // namespace

bool make_decode_table(const JHUFF_TBL& table, HuffmanDecodeTable& out) {
  std::memset(&out, 0, sizeof out);
  std::memcpy(out.values, table.huffval, sizeof out.values);
  int32_t code = 0;
  int index = 0;
  for (int length = 1; length <= 16; ++length) {
    const int count = table.bits[length];
    out.value_at[length] = index - code;
    if (count == 0) {
      out.max_code[length] = -1;
    } else {
      for (int i = 0; i < count; ++i, ++index, ++code) {
        if (index >= 256 || code >= (1 << length)) return false;
        if (length <= kFastBits) {
          const int spare = kFastBits - length;
          for (int fill = 0; fill < (1 << spare); ++fill) {
            out.fast_symbol[(code << spare) | fill] = table.huffval[index];
            out.fast_length[(code << spare) | fill] = uint8_t(length);
          }
        }
      }
      out.max_code[length] = code - 1;
    }
    code <<= 1;
  }
  out.max_code[17] = 0x7FFFFFFF;
  // Codes of up to 10 bits with their value bits, when those fit too.
  code = 0;
  index = 0;
  for (int length = 1; length <= 10; ++length) {
    for (int i = 0; i < table.bits[length]; ++i, ++index, ++code) {
      const uint8_t symbol = table.huffval[index];
      const int size = symbol & 15;
      if (length + size > 10) continue;
      for (int extra = 0; extra < (1 << size); ++extra) {
        const int spare = 10 - length - size;
        const int prefix = ((code << size) | extra) << spare;
        const int16_t value = int16_t(size ? extend(uint32_t(extra), size) : 0);
        for (int fill = 0; fill < (1 << spare); ++fill)
          out.fast_coefficient[prefix | fill] = {value, uint8_t(length + size), symbol};
      }
    }
    code <<= 1;
  }
  return true;
}

void make_encode_table(const JHUFF_TBL& table, HuffmanEncodeTable& out) {
  std::memset(&out, 0, sizeof out);
  uint32_t code = 0;
  int index = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < table.bits[length] && index < 256; ++i, ++index, ++code) {
      const uint8_t symbol = table.huffval[index];
      if (out.length[symbol] == 0) {
        out.code[symbol] = uint16_t(code);
        out.length[symbol] = uint8_t(length);
      }
    }
    code <<= 1;
  }
}

bool unstuff_scan_into(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                       std::vector<size_t>* restarts) {
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != 0xFF) {
      out.push_back(data[i]);
    } else if (i + 1 < size && data[i + 1] == 0x00) {
      out.push_back(0xFF);
      ++i;
    } else if (i + 1 < size && restarts && data[i + 1] == 0xD0 + restarts->size() % 8) {
      restarts->push_back(out.size());  // RSTn: the next interval starts here
      ++i;
    } else if (i + 1 < size) {
      return true;  // any other marker: the scan ends
    }
  }
  return false;
}

bool tables_code_everything(const JHUFF_TBL& dc, const JHUFF_TBL& ac) {
  HuffmanEncodeTable d, a;
  make_encode_table(dc, d);
  make_encode_table(ac, a);
  for (int size = 0; size <= 11; ++size)
    if (d.length[size] == 0) return false;
  if (a.length[0x00] == 0 || a.length[0xF0] == 0) return false;
  for (int run = 0; run < 16; ++run)
    for (int size = 1; size <= 10; ++size)
      if (a.length[(run << 4) | size] == 0) return false;
  return true;
}

bool decode_block(ScanBitReader& bits, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                  int& predictor, JCOEF* block, SymbolCounts* counts) {
  const int size = decode_symbol(bits, dc);
  if (size < 0 || size > 11) return false;
  if (counts) ++counts->dc[size];
  const int diff = size ? extend(bits.take(size), size) : 0;
  predictor += diff;
  if (block) {
    std::memset(block, 0, sizeof(JCOEF) * DCTSIZE2);
    block[0] = JCOEF(predictor);
  }
  for (int k = 1; k < 64; ++k) {
    const HuffmanDecodeTable::Coefficient fast = ac.fast_coefficient[bits.peek(10)];
    if (fast.length != 0) {
      bits.skip(fast.length);
      if (counts) ++counts->ac[fast.symbol];
      if ((fast.symbol & 15) == 0) {
        if (fast.symbol != 0xF0) break;  // end of block
        k += 15;
        if (k >= 64) return false;
        continue;
      }
      k += fast.symbol >> 4;
      if (k >= 64) return false;
      if (block) block[kNatural[k]] = fast.value;
      continue;
    }
    const int symbol = decode_symbol(bits, ac);
    if (symbol < 0) return false;
    if (counts) ++counts->ac[symbol];
    const int run = symbol >> 4, category = symbol & 15;
    if (category == 0) {
      if (run != 15) break;  // end of block
      k += 15;
      if (k >= 64) return false;
      continue;
    }
    k += run;
    if (k >= 64 || category > 10) return false;
    const int value = extend(bits.take(category), category);
    if (block) block[kNatural[k]] = JCOEF(value);
  }
  return !bits.overran();
}

bool count_block(SymbolCounts& counts, int& predictor, const JCOEF* block) {
  const bool codable = each_symbol(
      predictor, block, [&](int size, uint32_t) { return ++counts.dc[size], true; },
      [&](int symbol, uint32_t, int) { return ++counts.ac[symbol], true; });
  if (codable) predictor = block[0];
  return codable;
}

void make_optimal_table(const uint64_t (&counts)[257], JHUFF_TBL& out) {
  // Code lengths by merging the two least frequent trees (K.2, figure
  // K.1); symbol 256 is counted once, so its code of the longest length,
  // the one of all ones, is the one given back at the end.
  constexpr int kMaxLength = 64;
  uint64_t freq[257];
  int length_of[257] = {};
  int next_in_tree[257];
  for (int i = 0; i < 256; ++i) freq[i] = counts[i];
  freq[256] = 1;
  std::fill(std::begin(next_in_tree), std::end(next_in_tree), -1);
  for (;;) {
    int c1 = -1, c2 = -1;
    uint64_t v1 = ~uint64_t(0), v2 = ~uint64_t(0);
    for (int i = 0; i <= 256; ++i)  // the least frequent, the latest of equals
      if (freq[i] && freq[i] <= v1) v1 = freq[i], c1 = i;
    for (int i = 0; i <= 256; ++i)  // the next least frequent
      if (freq[i] && freq[i] <= v2 && i != c1) v2 = freq[i], c2 = i;
    if (c2 < 0) break;
    freq[c1] += freq[c2];
    freq[c2] = 0;
    for (++length_of[c1]; next_in_tree[c1] >= 0; ++length_of[c1]) c1 = next_in_tree[c1];
    next_in_tree[c1] = c2;
    for (++length_of[c2]; next_in_tree[c2] >= 0; ++length_of[c2]) c2 = next_in_tree[c2];
  }
  int bits[kMaxLength + 1] = {};
  for (int i = 0; i <= 256; ++i)
    if (length_of[i]) ++bits[std::min(length_of[i], kMaxLength)];
  // Lengths over 16: a pair of the longest codes becomes one code a bit
  // shorter and one under a shorter prefix split in two (K.3, figure K.3).
  for (int i = kMaxLength; i > 16; --i)
    while (bits[i] > 0) {
      int j = i - 2;
      while (bits[j] == 0) --j;
      bits[i] -= 2;
      bits[i - 1] += 1;
      bits[j + 1] += 2;
      bits[j] -= 1;
    }
  int longest = 16;
  while (longest > 0 && bits[longest] == 0) --longest;
  if (longest > 0) --bits[longest];  // the free code of symbol 256
  std::memset(&out, 0, sizeof out);
  for (int i = 1; i <= 16; ++i) out.bits[i] = UINT8(bits[i]);
  int p = 0;
  for (int length = 1; length <= kMaxLength; ++length)
    for (int symbol = 0; symbol < 256; ++symbol)
      if (length_of[symbol] == length) out.huffval[p++] = UINT8(symbol);
}

void ScanBitWriter::copy(const uint8_t* data, size_t size, uint64_t begin, uint64_t end) {
  (void)size;
  uint64_t at = begin;
  // Up to the next byte boundary of the source, then whole bytes.
  while (at < end && (at & 7) != 0) {
    const int n = int(std::min<uint64_t>(8 - (at & 7), end - at));
    const uint32_t v = (uint32_t(data[at >> 3]) >> (8 - int(at & 7) - n)) & ((1u << n) - 1);
    put(v, n);
    at += uint64_t(n);
  }
  while (end - at >= 32) {
    const size_t byte = size_t(at >> 3);
    put(uint32_t(data[byte]) << 24 | uint32_t(data[byte + 1]) << 16 | uint32_t(data[byte + 2]) << 8 |
            data[byte + 3],
        32);
    at += 32;
  }
  while (end - at >= 8) {
    put(data[at >> 3], 8);
    at += 8;
  }
  if (at < end) {
    const int n = int(end - at);
    put(uint32_t(data[at >> 3]) >> (8 - n), n);
  }
}

void ScanBitWriter::finish() {
  const int pad = (8 - count_ % 8) % 8;
  buffer_ = (buffer_ << pad) | ((uint64_t(1) << pad) - 1);
  count_ += pad;
  while (count_ >= 8) {
    count_ -= 8;
    put_byte(uint8_t(buffer_ >> count_));
  }
  buffer_ = 0;
  out_.resize(used_);
}

void ScanBitWriter::put_stuffed(uint32_t word) {
  for (int shift = 24; shift >= 0; shift -= 8) put_byte(uint8_t(word >> shift));
}

bool encode_block(ScanBitWriter& out, const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac,
                  int& predictor, const JCOEF* block) {
  // First check every symbol, so that a block is written whole or not at all.
  const bool codable = each_symbol(
      predictor, block, [&](int size, uint32_t) { return dc.length[size] != 0; },
      [&](int symbol, uint32_t, int) { return ac.length[symbol] != 0; });
  if (!codable) return false;
  each_symbol(
      predictor, block,
      [&](int size, uint32_t bits) {
        out.put(uint32_t(dc.code[size]) << size | bits, dc.length[size] + size);
        return true;
      },
      [&](int symbol, uint32_t bits, int size) {
        out.put(uint32_t(ac.code[symbol]) << size | bits, ac.length[symbol] + size);
        return true;
      });
  predictor = block[0];
  return true;
}

void make_transcode_table(const HuffmanDecodeTable& ac, const HuffmanEncodeTable& new_ac,
                          TranscodeTable& out) {
  for (uint32_t prefix = 0; prefix < 1024; ++prefix) {
    TranscodeTable::Entry& e = out.entries[prefix];
    e = {};
    const HuffmanDecodeTable::Coefficient c = ac.fast_coefficient[prefix];
    if (c.length != 0 && (c.symbol & 15) != 0) {
      const int category = c.symbol & 15;
      if (new_ac.length[c.symbol] == 0) continue;
      const uint32_t value = (prefix >> (10 - c.length)) & ((1u << category) - 1);
      e.bits = uint32_t(new_ac.code[c.symbol]) << category | value;
      e.new_length = uint8_t(new_ac.length[c.symbol] + category);
      e.length = c.length;
      e.advance = uint8_t((c.symbol >> 4) + 1);
      continue;
    }
    const uint32_t nine = prefix >> 1;
    const int symbol = ac.fast_symbol[nine];
    if (ac.fast_length[nine] == 0 || (symbol & 15) != 0 || (symbol != 0x00 && symbol != 0xF0)) continue;
    if (new_ac.length[symbol] == 0) continue;
    e.bits = new_ac.code[symbol];
    e.new_length = new_ac.length[symbol];
    e.length = ac.fast_length[nine];
    e.advance = 16;
    e.end = symbol == 0x00;
  }
}

bool transcode_block(ScanBitReader& in, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                     const TranscodeTable& fast, ScanBitWriter& out, const HuffmanEncodeTable& new_dc,
                     const HuffmanEncodeTable& new_ac) {
  const int size = decode_symbol(in, dc);
  if (size < 0 || size > 11 || new_dc.length[size] == 0) return false;
  if (size)
    out.put(uint32_t(new_dc.code[size]) << size | in.take(size), new_dc.length[size] + size);
  else
    out.put(new_dc.code[0], new_dc.length[0]);
  // A coefficient at position k + run leaves k + run + 1 <= 64.
  for (int k = 1; k < 64;) {
    const TranscodeTable::Entry& e = fast.entries[in.peek(10)];
    if (e.length != 0) {
      in.skip(e.length);
      out.put(e.bits, e.new_length);
      if (e.end) break;
      k += e.advance;
      if (k > 64) return false;
      continue;
    }
    const int symbol = decode_symbol(in, ac);
    if (symbol < 0 || new_ac.length[symbol] == 0) return false;
    out.put(new_ac.code[symbol], new_ac.length[symbol]);
    const int run = symbol >> 4, category = symbol & 15;
    if (category == 0) {
      if (run != 15) break;  // end of block
      k += 16;
      if (k > 64) return false;
      continue;
    }
    if (category > 10) return false;
    k += run + 1;
    if (k > 64) return false;
    out.put(in.take(category), category);
  }
  return !in.overran();
}

}  // namespace pixkit
