// SPDX-License-Identifier: LGPL-2.1-or-later
// Huffman decoding and encoding of baseline JPEG blocks with a source's own
// tables, for the bit copy: the scan is read once to find where each MCU's
// bits start, and only the MCUs a mark touches are coded again.
#pragma once

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
// too. A lone 0xFF at the end is left out.
bool unstuff_scan_into(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                       std::vector<size_t>* restarts);

// Reads bits from unstuffed scan data through a 64-bit buffer; past the
// end it reads ones, and says so.
class ScanBitReader {
 public:
  ScanBitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t position() const { return position_; }
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

// Decodes one block: its DC difference is added to predictor; with block
// set, the coefficients (natural order) are stored there. False on a code
// the table does not hold or a run past the block's end.
bool decode_block(ScanBitReader& bits, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                  int& predictor, JCOEF* block);

// Writes bits with 0xFF bytes stuffed.
class ScanBitWriter {
 public:
  explicit ScanBitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void put(uint32_t value, int count) {  // count <= 24
    buffer_ = (buffer_ << count) | (value & ((1u << count) - 1));
    count_ += count;
    while (count_ >= 8) {
      const uint8_t byte = uint8_t(buffer_ >> (count_ - 8));
      out_.push_back(byte);
      if (byte == 0xFF) out_.push_back(0x00);
      count_ -= 8;
    }
    buffer_ &= (uint64_t(1) << count_) - 1;
  }
  // Copies bits [begin, end) of unstuffed scan data.
  void copy(const uint8_t* data, size_t size, uint64_t begin, uint64_t end);
  // Pads the last byte with ones.
  void finish();
  // Pads the last byte and writes restart marker RSTn (n = 0..7).
  void restart_marker(int n) {
    finish();
    out_.push_back(0xFF);
    out_.push_back(uint8_t(0xD0 + (n & 7)));
  }

 private:
  std::vector<uint8_t>& out_;
  uint64_t buffer_ = 0;
  int count_ = 0;
};

// Encodes one block against predictor (then set to its DC). False when a
// symbol it needs is not in the tables; nothing is written then.
bool encode_block(ScanBitWriter& out, const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac,
                  int& predictor, const JCOEF* block);

}  // namespace pixkit
