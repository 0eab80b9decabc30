// SPDX-License-Identifier: LGPL-2.1-or-later
#include "jp2_memory_stream.h"

#include <algorithm>
#include <cstring>

namespace pixkit {
namespace {

// Offsets beyond this only come from damaged boxes.
constexpr uint64_t kMaxOffset = uint64_t(1) << 40;

uint64_t size_of(const Jp2Memory& m) { return m.output ? m.output->size() : m.input->size(); }

OPJ_SIZE_T read_memory(void* buffer, OPJ_SIZE_T count, void* user) {
  auto& m = *static_cast<Jp2Memory*>(user);
  if (m.output || m.pos >= m.input->size() || count == 0) return OPJ_SIZE_T(-1);
  const size_t n = size_t(std::min<uint64_t>(count, m.input->size() - m.pos));
  if (!m.input->read(m.pos, buffer, n)) return OPJ_SIZE_T(-1);
  m.pos += n;
  return n;
}

OPJ_SIZE_T write_memory(void* buffer, OPJ_SIZE_T count, void* user) {
  auto& m = *static_cast<Jp2Memory*>(user);
  if (!m.output) return OPJ_SIZE_T(-1);
  try {
    const uint64_t end = m.pos + count;
    if (end > m.output->size()) m.output->resize(size_t(end));
    std::memcpy(m.output->data() + m.pos, buffer, count);
    m.pos = end;
    return count;
  } catch (...) {
    return OPJ_SIZE_T(-1);
  }
}

// OpenJPEG keeps calling skip until the count is used up, so the end of
// the input must answer -1, never 0.
OPJ_OFF_T skip_memory(OPJ_OFF_T count, void* user) {
  auto& m = *static_cast<Jp2Memory*>(user);
  if (count < 0) return -1;
  if (m.output) {
    if (m.pos + uint64_t(count) > kMaxOffset) return -1;
    m.pos += uint64_t(count);
    return count;
  }
  const uint64_t left = m.input->size() - std::min<uint64_t>(m.pos, m.input->size());
  if (left == 0) return -1;
  const uint64_t n = std::min<uint64_t>(uint64_t(count), left);
  m.pos += n;
  return OPJ_OFF_T(n);
}

OPJ_BOOL seek_memory(OPJ_OFF_T offset, void* user) {
  auto& m = *static_cast<Jp2Memory*>(user);
  if (offset < 0 || uint64_t(offset) > kMaxOffset) return OPJ_FALSE;
  if (!m.output && uint64_t(offset) > size_of(m)) return OPJ_FALSE;
  m.pos = uint64_t(offset);
  return OPJ_TRUE;
}

void ignore_message(const char*, void*) {}

}  // namespace

opj_stream_t* open_jp2_memory_stream(Jp2Memory& memory) {
  const bool input = memory.output == nullptr;
  opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE);
  if (!stream) return nullptr;
  opj_stream_set_user_data(stream, &memory, nullptr);
  if (input) {
    opj_stream_set_user_data_length(stream, memory.input->size());
    opj_stream_set_read_function(stream, read_memory);
  } else {
    opj_stream_set_write_function(stream, write_memory);
  }
  opj_stream_set_skip_function(stream, skip_memory);
  opj_stream_set_seek_function(stream, seek_memory);
  return stream;
}

void quiet_jp2_codec(opj_codec_t* codec) {
  opj_set_info_handler(codec, ignore_message, nullptr);
  opj_set_warning_handler(codec, ignore_message, nullptr);
  opj_set_error_handler(codec, ignore_message, nullptr);
}

}  // namespace pixkit
