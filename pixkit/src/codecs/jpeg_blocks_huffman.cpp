// SPDX-License-Identifier: LGPL-2.1-or-later
// Baseline Huffman coding (ITU T.81, F.1.2 and F.2.2) over a source's own
// tables. Coefficients are held in natural order, as libjpeg holds them.
#include "jpeg_blocks_huffman.h"

#include <algorithm>
#include <cstring>

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
    } else if (i + 1 < size && restarts && data[i + 1] >= 0xD0 && data[i + 1] <= 0xD7) {
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
                  int& predictor, JCOEF* block) {
  const int size = decode_symbol(bits, dc);
  if (size < 0 || size > 11) return false;
  const int diff = size ? extend(bits.take(size), size) : 0;
  predictor += diff;
  if (block) {
    std::memset(block, 0, sizeof(JCOEF) * DCTSIZE2);
    block[0] = JCOEF(predictor);
  }
  for (int k = 1; k < 64; ++k) {
    const HuffmanDecodeTable::Coefficient fast = ac.fast_coefficient[bits.peek(10)];
    if (fast.length != 0 && (fast.symbol & 15) != 0) {
      bits.skip(fast.length);
      k += fast.symbol >> 4;
      if (k >= 64) return false;
      if (block) block[kNatural[k]] = fast.value;
      continue;
    }
    const int symbol = decode_symbol(bits, ac);
    if (symbol < 0) return false;
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
  while (end - at >= 24) {
    const size_t byte = size_t(at >> 3);
    put(uint32_t(data[byte]) << 16 | uint32_t(data[byte + 1]) << 8 | data[byte + 2], 24);
    at += 24;
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
  if (count_ > 0) put((1u << (8 - count_)) - 1, 8 - count_);
}

bool encode_block(ScanBitWriter& out, const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac,
                  int& predictor, const JCOEF* block) {
  // First check every symbol, so that a block is written whole or not at all.
  const int diff = block[0] - predictor;
  const int dc_size = category_of(diff);
  if (dc_size > 11 || dc.length[dc_size] == 0) return false;
  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int v = block[kNatural[k]];
    if (v == 0) {
      ++run;
      continue;
    }
    while (run > 15) {
      if (ac.length[0xF0] == 0) return false;
      run -= 16;
    }
    const int size = category_of(v);
    if (size > 10 || ac.length[(run << 4) | size] == 0) return false;
    run = 0;
  }
  if (run > 0 && ac.length[0x00] == 0) return false;

  out.put(dc.code[dc_size], dc.length[dc_size]);
  if (dc_size) out.put(uint32_t(diff < 0 ? diff - 1 : diff), dc_size);
  run = 0;
  for (int k = 1; k < 64; ++k) {
    const int v = block[kNatural[k]];
    if (v == 0) {
      ++run;
      continue;
    }
    while (run > 15) {
      out.put(ac.code[0xF0], ac.length[0xF0]);
      run -= 16;
    }
    const int size = category_of(v);
    const int symbol = (run << 4) | size;
    out.put(ac.code[symbol], ac.length[symbol]);
    out.put(uint32_t(v < 0 ? v - 1 : v), size);
    run = 0;
  }
  if (run > 0) out.put(ac.code[0x00], ac.length[0x00]);
  predictor = block[0];
  return true;
}

}  // namespace pixkit
