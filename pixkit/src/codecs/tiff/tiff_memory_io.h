// SPDX-License-Identifier: LGPL-2.1-or-later
// libtiff client procedures: the reader reads the file where libtiff asks,
// through a RangeSource; the writer builds the file in a growable buffer
// (libtiff seeks back to patch directory offsets, which a plain stream
// cannot do). Also the quiet open options both sides use.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <vector>

#include "core/range_source.h"

namespace pixkit {

struct TiffMemoryFile {
  const RangeSource* input = nullptr;      // reading
  std::vector<uint8_t>* output = nullptr;  // writing
  uint64_t pos = 0;
};

// Open options with a cap on any single allocation libtiff makes and
// handlers that swallow its messages instead of printing to stderr.
class TiffOpenOptions {
 public:
  TiffOpenOptions();
  ~TiffOpenOptions();
  TiffOpenOptions(const TiffOpenOptions&) = delete;
  TiffOpenOptions& operator=(const TiffOpenOptions&) = delete;
  TIFFOpenOptions* get() const { return options_; }

 private:
  TIFFOpenOptions* options_;
};

// Opens memory for reading ("r") or writing ("w"); nullptr on failure.
// file must outlive the handle.
TIFF* open_tiff_in_memory(TiffMemoryFile& file, const char* mode);

// Closes a handle on scope exit.
struct TiffCloser {
  TIFF* tif;
  ~TiffCloser() {
    if (tif) TIFFClose(tif);
  }
};

}  // namespace pixkit
