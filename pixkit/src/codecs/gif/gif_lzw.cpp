// SPDX-License-Identifier: LGPL-2.1-or-later
#include "gif_lzw.h"

namespace pixkit {

GifLzwDecoder::GifLzwDecoder(SourceReader& in, int min_code_size)
    : in_(in),
      min_code_size_(min_code_size),
      clear_code_(1 << min_code_size),
      end_code_((1 << min_code_size) + 1) {
  for (int code = 0; code < clear_code_; ++code) {
    suffix_[size_t(code)] = uint16_t(code);
    first_[size_t(code)] = uint16_t(code);
  }
  reset_table();
}

void GifLzwDecoder::reset_table() {
  code_bits_ = min_code_size_ + 1;
  next_entry_ = end_code_ + 1;
  previous_ = -1;
}

// Codes are packed from the low bits up, across sub-blocks of 1 to 255
// bytes; a zero-length block ends the data.
Result<int> GifLzwDecoder::next_code() {
  while (bit_count_ < code_bits_) {
    if (block_left_ == 0) {
      auto length = in_.u8();
      if (!length || *length == 0) return fail("gif: picture data ends early");
      block_left_ = *length;
    }
    auto byte = in_.u8();
    if (!byte) return fail("gif: picture data ends early");
    --block_left_;
    bits_ |= uint32_t(*byte) << bit_count_;
    bit_count_ += 8;
  }
  const int code = int(bits_ & ((1u << code_bits_) - 1));
  bits_ >>= code_bits_;
  bit_count_ -= code_bits_;
  return code;
}

void GifLzwDecoder::push_string(int code) {
  // Every entry's prefix is an older code, so the walk ends, and a string
  // is never longer than the table.
  while (code >= clear_code_) {
    stack_[stack_size_++] = suffix_[size_t(code)];
    code = prefix_[size_t(code)];
  }
  stack_[stack_size_++] = uint16_t(code);
}

Status GifLzwDecoder::read_pixels(uint8_t* out, size_t count) {
  size_t done = 0;
  while (done < count) {
    if (stack_size_ > 0) {
      const uint16_t pixel = stack_[--stack_size_];
      if (pixel > 255) return fail("gif: pixel value wider than a byte");
      out[done++] = uint8_t(pixel);
      continue;
    }
    if (ended_) return fail("gif: picture data ends early");
    auto code = next_code();
    if (!code) return code.as_error();
    if (*code == clear_code_) {
      reset_table();
      continue;
    }
    if (*code == end_code_) {
      ended_ = true;
      continue;
    }
    if (previous_ < 0) {
      if (*code > end_code_) return fail("gif: code not in the table");
      push_string(*code);
      previous_ = *code;
      continue;
    }
    uint16_t first;
    if (*code < next_entry_) {
      first = first_[size_t(*code)];
      push_string(*code);
    } else if (*code == next_entry_ && next_entry_ < kTableSize) {
      // The code being defined: the previous string and its own first pixel.
      first = first_[size_t(previous_)];
      stack_[stack_size_++] = first;
      push_string(previous_);
    } else {
      return fail("gif: code not in the table");
    }
    // A full table stays as it is until the encoder clears it.
    if (next_entry_ < kTableSize) {
      prefix_[size_t(next_entry_)] = uint16_t(previous_);
      suffix_[size_t(next_entry_)] = first;
      first_[size_t(next_entry_)] = first_[size_t(previous_)];
      ++next_entry_;
      if (next_entry_ == (1 << code_bits_) && code_bits_ < kMaxCodeBits) ++code_bits_;
    }
    previous_ = *code;
  }
  return {};
}

}  // namespace pixkit
