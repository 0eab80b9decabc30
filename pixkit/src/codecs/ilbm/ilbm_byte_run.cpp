// SPDX-License-Identifier: LGPL-2.1-or-later
#include "ilbm_byte_run.h"

#include <cstring>

namespace pixkit {

template <class Reader>
Status unpack_byte_run1(Reader& in, uint8_t* out, size_t out_size) {
  size_t filled = 0;
  while (filled < out_size) {
    auto control = in.u8();
    if (!control) return fail("ilbm: BODY ends inside a row");
    const int8_t n = int8_t(*control);
    if (n >= 0) {
      const size_t count = size_t(n) + 1;
      if (count > out_size - filled) return fail("ilbm: ByteRun1 literal run past the row");
      if (!in.copy_to(out + filled, count)) return fail("ilbm: BODY ends inside a row");
      filled += count;
    } else if (n != -128) {
      const size_t count = size_t(1 - n);
      if (count > out_size - filled) return fail("ilbm: ByteRun1 repeat run past the row");
      auto value = in.u8();
      if (!value) return fail("ilbm: BODY ends inside a row");
      std::memset(out + filled, *value, count);
      filled += count;
    }
    // -128 is a no-op that some old encoders emit; it takes no data byte.
  }
  return {};
}

template Status unpack_byte_run1(ByteReader&, uint8_t*, size_t);
template Status unpack_byte_run1(SourceReader&, uint8_t*, size_t);

namespace {

// Length of the run of equal bytes starting at data[i], at most 128.
size_t run_length_at(const uint8_t* data, size_t size, size_t i) {
  size_t n = 1;
  while (i + n < size && n < 128 && data[i + n] == data[i]) ++n;
  return n;
}

}  // namespace

void pack_byte_run1(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < size) {
    const size_t run = run_length_at(data, size, i);
    if (run >= 3) {
      out.push_back(uint8_t(int8_t(1 - int(run))));
      out.push_back(data[i]);
      i += run;
      continue;
    }
    // A literal run ends where a repeat run of three or more begins, so a
    // pair of equal bytes stays inside the literal rather than costing two
    // control bytes.
    size_t end = i;
    while (end < size && end - i < 128) {
      if (end + 2 < size && data[end] == data[end + 1] && data[end] == data[end + 2]) break;
      ++end;
    }
    out.push_back(uint8_t(end - i - 1));
    out.insert(out.end(), data + i, data + end);
    i = end;
  }
}

}  // namespace pixkit
