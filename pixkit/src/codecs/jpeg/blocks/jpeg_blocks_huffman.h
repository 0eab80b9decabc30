// SPDX-License-Identifier: LGPL-2.1-or-later
// Huffman decoding and encoding of baseline JPEG blocks, for the bit copy
// (the scan is read once to find where each MCU's bits start, and only the
// MCUs a mark touches are coded again with the source's own tables) and for
// the recoding (the symbols counted, optimal tables made for them, and the
// scan carried over symbol for symbol under the new codes).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace pixkit {

// A table as the decoder walks it (canonical codes, by length).
struct HuffmanDecodeTable {
  int32_t max_code[18];  // largest code of each length, -1 when none
  int32_t value_at[17];  // index into values of the first code of each length, minus that code
  uint8_t values[256];
  // The first 9 bits of the stream: symbol and code length, 0 length when
  // the code is longer.
  uint8_t fast_symbol[512];
  uint8_t fast_length[512];
  // The first 10 bits: a whole AC coefficient, code and value bits, where
  // they fit; length 0 where they do not.
  struct Coefficient {
    int16_t value;
    uint8_t length;  // code and value bits
    uint8_t symbol;  // run in the high nibble, size in the low one
  };
  Coefficient fast_coefficient[1024];
};

// A table as the encoder uses it: code and length per symbol, length 0
// for a symbol the table cannot code.
struct HuffmanEncodeTable {
  uint16_t code[256];
  uint8_t length[256];
};

// False for a table that is no valid canonical code.
bool make_decode_table(const JHUFF_TBL& table, HuffmanDecodeTable& out);
void make_encode_table(const JHUFF_TBL& table, HuffmanEncodeTable& out);

// Appends the entropy-coded bytes of a scan with the stuffed zero bytes
// taken out, up to the first marker other than a restart marker; true when
// such a marker ended them. With restarts given, each restart marker is
// dropped and the length of out at it recorded; without, it ends the scan
// too, and so does one out of sequence (RST0 to RST7 in turn, counted over
// every call with the same restarts): such a scan is libjpeg's to read,
// with its warnings. A lone 0xFF at the end is left out.
bool unstuff_scan_into(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                       std::vector<size_t>* restarts);

// Reads bits from unstuffed scan data through a 64-bit buffer; past the
// end it reads ones, and says so.
class ScanBitReader {
 public:
  ScanBitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t position() const { return position_; }
  // Goes to bit bit of the data.
  void seek(uint64_t bit) {
    next_ = size_t(bit >> 3);
    buffer_ = 0;
    held_ = 0;
    position_ = bit & ~uint64_t(7);
    if (bit & 7) skip(int(bit & 7));
  }
  bool overran() const { return position_ > uint64_t(size_) * 8; }
  uint32_t peek(int count) {  // count <= 24
    if (held_ < count) refill();
    return uint32_t(buffer_ >> (64 - count));
  }
  void skip(int count) {
    if (held_ < count) refill();
    buffer_ <<= count;
    held_ -= count;
    position_ += uint64_t(count);
  }
  uint32_t take(int count) {
    const uint32_t v = peek(count);
    skip(count);
    return v;
  }
  // Past the padding bits to the next byte, where a restart interval starts.
  void align() {
    const int rest = int((8 - (position_ & 7)) & 7);
    if (rest) skip(rest);
  }

 private:
  void refill() {
    if (next_ + 8 <= size_) {
      // Eight bytes at once; the bits of a byte only partly taken are
      // taken again whole next time, and are the same bits.
      uint64_t word = 0;
      for (int i = 0; i < 8; ++i) word = word << 8 | data_[next_ + size_t(i)];
      buffer_ |= word >> held_;
      const int bytes = (63 - held_) >> 3;
      next_ += size_t(bytes);
      held_ += 8 * bytes;
      return;
    }
    while (held_ <= 56) {
      const uint64_t byte = next_ < size_ ? data_[next_] : 0xFFu;
      ++next_;
      buffer_ |= byte << (56 - held_);
      held_ += 8;
    }
  }
  const uint8_t* data_;
  size_t size_;
  size_t next_ = 0;      // the next byte to take into the buffer
  uint64_t buffer_ = 0;  // held bits, the next one at the top
  int held_ = 0;
  uint64_t position_ = 0;
};

// Whether the tables hold every symbol a baseline block can need, as the
// standard tables do; optimised tables hold only what their picture used.
bool tables_code_everything(const JHUFF_TBL& dc, const JHUFF_TBL& ac);

// How often each symbol of a table is coded; the last slot is the one
// code the optimal table keeps free, so that no code is all ones.
struct SymbolCounts {
  uint64_t dc[257];
  uint64_t ac[257];
};

// Decodes one block: its DC difference is added to predictor; with block
// set, the coefficients (natural order) are stored there, with counts set,
// its symbols are counted there. False on a code the table does not hold
// or a run past the block's end.
bool decode_block(ScanBitReader& bits, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                  int& predictor, JCOEF* block, SymbolCounts* counts = nullptr);

// Counts the symbols encode_block would write for block against predictor
// (then set to its DC). False for a value no baseline table can code.
bool count_block(SymbolCounts& counts, int& predictor, const JCOEF* block);

// The optimal table for counts (ITU T.81, K.2): code lengths limited to 16
// bits, no code of all ones. Symbols never counted get no code.
void make_optimal_table(const uint64_t (&counts)[257], JHUFF_TBL& out);

// Writes bits with 0xFF bytes stuffed, four bytes at a time, to the end of
// a vector, which is longer than what was written until finish().
class ScanBitWriter {
 public:
  explicit ScanBitWriter(std::vector<uint8_t>& out) : out_(out), used_(out.size()) {}
  void put(uint32_t value, int count) {  // count <= 32
    buffer_ = (buffer_ << count) | (uint64_t(value) & ((uint64_t(1) << count) - 1));
    count_ += count;
    if (count_ >= 32) put_word();
  }
  // Copies bits [begin, end) of unstuffed scan data.
  void copy(const uint8_t* data, size_t size, uint64_t begin, uint64_t end);
  // Pads the last byte with ones, writes out every bit held and leaves the
  // vector as long as what was written.
  void finish();
  // Pads the last byte and writes restart marker RSTn (n = 0..7).
  void restart_marker(int n) {
    finish();
    out_.push_back(0xFF);
    out_.push_back(uint8_t(0xD0 + (n & 7)));
    used_ = out_.size();
  }

 private:
  // Room for at least 8 more bytes, 64 KiB at a time, so that a vector
  // reserved for the whole output is never moved.
  void make_room() {
    if (out_.size() - used_ >= 8) return;
    size_t size = used_ + 65536;
    if (size > out_.capacity() && used_ + 8 <= out_.capacity()) size = out_.capacity();
    out_.resize(size);
  }
  void put_byte(uint8_t byte) {
    make_room();
    out_[used_++] = byte;
    if (byte == 0xFF) out_[used_++] = 0x00;
  }
  // The oldest 32 of the bits held.
  [[gnu::always_inline]] void put_word() {
    count_ -= 32;
    const uint32_t word = uint32_t(buffer_ >> count_);
    buffer_ &= (uint64_t(1) << count_) - 1;
    // A byte of 0xFF in the word is a zero byte in its complement.
    const uint32_t inverse = ~word;
    if (((inverse - 0x01010101u) & ~inverse & 0x80808080u) == 0) {
      make_room();
      uint8_t* p = out_.data() + used_;
      p[0] = uint8_t(word >> 24);
      p[1] = uint8_t(word >> 16);
      p[2] = uint8_t(word >> 8);
      p[3] = uint8_t(word);
      used_ += 4;
    } else {
      put_stuffed(word);
    }
  }
  void put_stuffed(uint32_t word);
  std::vector<uint8_t>& out_;
  size_t used_;          // bytes of out_ written
  uint64_t buffer_ = 0;  // the bits held, the newest lowest
  int count_ = 0;        // how many, under 32 between calls
};

// Encodes one block against predictor (then set to its DC). False when a
// symbol it needs is not in the tables; nothing is written then.
bool encode_block(ScanBitWriter& out, const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac,
                  int& predictor, const JCOEF* block);

// An AC table's codes in the first 10 bits of the stream, each with what
// it becomes under other tables: the new code with the value bits, the
// positions it moves on, or the end of the block. Length 0 where the code
// is longer or the new tables lack the symbol.
struct TranscodeTable {
  struct Entry {
    uint32_t bits;       // the new code and the value bits
    uint8_t new_length;  // of bits
    uint8_t length;      // of the source's code and value bits
    uint8_t advance;     // positions of the block taken: run + 1, or 16
    uint8_t end;         // end of block
  };
  Entry entries[1024];
};
void make_transcode_table(const HuffmanDecodeTable& ac, const HuffmanEncodeTable& new_ac,
                          TranscodeTable& out);

// Reads one block coded with the source's tables and writes the same
// symbols and value bits with other tables: the coefficients and the DC
// difference stay as they were. False on a code the source's table does
// not hold, a run past the block's end or a symbol the new tables lack.
bool transcode_block(ScanBitReader& in, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                     const TranscodeTable& fast, ScanBitWriter& out, const HuffmanEncodeTable& new_dc,
                     const HuffmanEncodeTable& new_ac);

}  // namespace pixkit
