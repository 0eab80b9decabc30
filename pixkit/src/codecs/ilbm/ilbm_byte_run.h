// SPDX-License-Identifier: LGPL-2.1-or-later
// ByteRun1, the run-length scheme of IFF pictures: a control byte n of
// 0..127 copies the next n + 1 bytes, -1..-127 repeats the next byte
// 1 - n times, -128 does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/byte_reader.h"
#include "core/result.h"
#include "core/source_reader.h"

namespace pixkit {

// Fills out (out_size bytes) from the packed data at in (a ByteReader or a
// SourceReader), advancing in. A run longer than what is left of out, or
// input that ends first, is an error.
template <class Reader>
Status unpack_byte_run1(Reader& in, uint8_t* out, size_t out_size);

// Appends the packed form of data to out. Runs of three or more equal bytes
// become repeat runs; everything else goes into literal runs of at most 128.
void pack_byte_run1(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

}  // namespace pixkit
