// SPDX-License-Identifier: LGPL-2.1-or-later
// OpenJPEG streams over memory, and the codec set-up both directions share:
// quiet message handlers and one thread.
#pragma once

#include <openjpeg.h>

#include <cstdint>
#include <vector>

#include "core/range_source.h"

namespace pixkit {

struct Jp2Memory {
  const RangeSource* input = nullptr;      // reading, where OpenJPEG asks
  std::vector<uint8_t>* output = nullptr;  // writing
  uint64_t pos = 0;
};

// A stream reading memory.input, or writing memory.output when that is set.
// memory must outlive the stream. nullptr when out of memory.
opj_stream_t* open_jp2_memory_stream(Jp2Memory& memory);

// Sends the codec's info, warning and error messages nowhere (OpenJPEG
// prints them to stderr otherwise).
void quiet_jp2_codec(opj_codec_t* codec);

struct Jp2StreamCloser {
  opj_stream_t* stream;
  ~Jp2StreamCloser() {
    if (stream) opj_stream_destroy(stream);
  }
};
struct Jp2CodecCloser {
  opj_codec_t* codec;
  ~Jp2CodecCloser() {
    if (codec) opj_destroy_codec(codec);
  }
};
struct Jp2ImageCloser {
  opj_image_t* image = nullptr;
  ~Jp2ImageCloser() {
    if (image) opj_image_destroy(image);
  }
};

}  // namespace pixkit
