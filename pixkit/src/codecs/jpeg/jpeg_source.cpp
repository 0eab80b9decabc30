// SPDX-License-Identifier: LGPL-2.1-or-later
#include "jpeg_source.h"

#include <algorithm>

// jerror.h needs jpeglib.h first; it names the message codes.
#include <jerror.h>

namespace pixkit {
namespace {

JpegSourceManager& manager_of(j_decompress_ptr cinfo) {
  return *reinterpret_cast<JpegSourceManager*>(cinfo->src);
}

void init_source(j_decompress_ptr) {}

boolean fill_input_buffer(j_decompress_ptr cinfo) {
  JpegSourceManager& m = manager_of(cinfo);
  const uint64_t size = m.file->size();
  const size_t count = size_t(std::min<uint64_t>(sizeof m.buffer, size - std::min(size, m.next_offset)));
  if (count == 0 || !m.file->read(m.next_offset, m.buffer, count)) {
    // What libjpeg's own sources do at the end of the data: warn (our
    // error manager takes the warning for truncation) and end the stream.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    m.buffer[0] = JOCTET(0xFF);
    m.buffer[1] = JOCTET(JPEG_EOI);
    m.pub.next_input_byte = m.buffer;
    m.pub.bytes_in_buffer = 2;
    return TRUE;
  }
  m.next_offset += count;
  m.pub.next_input_byte = m.buffer;
  m.pub.bytes_in_buffer = count;
  return TRUE;
}

// A long skip (a large marker we do not keep) moves the offset instead of
// reading the bytes.
void skip_input_data(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  JpegSourceManager& m = manager_of(cinfo);
  const uint64_t skip = uint64_t(count);
  if (skip <= m.pub.bytes_in_buffer) {
    m.pub.next_input_byte += skip;
    m.pub.bytes_in_buffer -= size_t(skip);
    return;
  }
  m.next_offset += skip - m.pub.bytes_in_buffer;
  m.pub.bytes_in_buffer = 0;
}

void term_source(j_decompress_ptr) {}

}  // namespace

void use_jpeg_source(j_decompress_ptr cinfo, JpegSourceManager& manager, const RangeSource& file) {
  if (const auto bytes = file.in_memory()) {
    jpeg_mem_src(cinfo, bytes->data(), static_cast<unsigned long>(bytes->size()));
    return;
  }
  manager.file = &file;
  manager.next_offset = 0;
  manager.pub.init_source = init_source;
  manager.pub.fill_input_buffer = fill_input_buffer;
  manager.pub.skip_input_data = skip_input_data;
  manager.pub.resync_to_restart = jpeg_resync_to_restart;
  manager.pub.term_source = term_source;
  manager.pub.next_input_byte = nullptr;
  manager.pub.bytes_in_buffer = 0;
  cinfo->src = &manager.pub;
}

}  // namespace pixkit
