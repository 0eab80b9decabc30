// SPDX-License-Identifier: LGPL-2.1-or-later
// The LZW image data of a GIF whose minimum code size is 9, 10 or 11.
// giflib refuses such a size (its pixels are bytes, and these literals can
// be wider), but the format allows codes of up to 12 bits, and viewers read
// these files when every pixel the stream makes is a byte. This decoder
// takes over from giflib at the sub-blocks that follow the code size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/result.h"
#include "core/source_reader.h"

namespace pixkit {

// The minimum code sizes giflib leaves to us.
inline constexpr int kGifSmallestWideCodeSize = 9;
inline constexpr int kGifLargestCodeSize = 11;

class GifLzwDecoder {
 public:
  // in stands at the first sub-block; min_code_size is 9 .. 11.
  GifLzwDecoder(SourceReader& in, int min_code_size);

  // The next count pixels in stream order. A literal over 255, a code the
  // table does not hold yet, or data that ends first is an error.
  Status read_pixels(uint8_t* out, size_t count);

 private:
  static constexpr int kMaxCodeBits = 12;
  static constexpr int kTableSize = 1 << kMaxCodeBits;

  Result<int> next_code();
  void reset_table();
  // Puts the pixels of code on the stack, last pixel first.
  void push_string(int code);

  SourceReader& in_;
  const int min_code_size_;
  const int clear_code_;
  const int end_code_;
  int code_bits_ = 0;
  int next_entry_ = 0;
  int previous_ = -1;
  bool ended_ = false;
  // Bits not yet used, from the current sub-block.
  uint32_t bits_ = 0;
  int bit_count_ = 0;
  size_t block_left_ = 0;
  std::array<uint16_t, kTableSize> prefix_{};
  std::array<uint16_t, kTableSize> suffix_{};
  std::array<uint16_t, kTableSize> first_{};  // first pixel of each code's string
  std::array<uint16_t, kTableSize> stack_{};
  size_t stack_size_ = 0;
};

}  // namespace pixkit
