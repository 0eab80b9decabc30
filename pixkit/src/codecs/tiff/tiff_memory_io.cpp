// SPDX-License-Identifier: LGPL-2.1-or-later
#include "tiff_memory_io.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace pixkit {
namespace {

// Hostile files can make libtiff ask for absurd buffers; nothing we decode
// legitimately needs a single block larger than this.
constexpr tmsize_t kMaxSingleAllocation = tmsize_t(512) << 20;

int swallow_message(TIFF*, void*, const char*, const char*, va_list) { return 1; }

uint64_t file_size(const TiffMemoryFile& f) { return f.output ? f.output->size() : f.input->size(); }

tmsize_t read_proc(thandle_t handle, void* buffer, tmsize_t size) {
  auto& f = *static_cast<TiffMemoryFile*>(handle);
  if (size <= 0 || f.output) return 0;
  const uint64_t total = f.input->size();
  if (f.pos >= total) return 0;
  const uint64_t n = std::min<uint64_t>(uint64_t(size), total - f.pos);
  if (!f.input->read(f.pos, buffer, size_t(n))) return -1;
  f.pos += n;
  return tmsize_t(n);
}

tmsize_t write_proc(thandle_t handle, void* buffer, tmsize_t size) {
  auto& f = *static_cast<TiffMemoryFile*>(handle);
  if (!f.output || size < 0) return -1;
  try {
    const uint64_t end = f.pos + uint64_t(size);
    if (end > f.output->size()) f.output->resize(size_t(end));
    std::memcpy(f.output->data() + f.pos, buffer, size_t(size));
    f.pos = end;
    return size;
  } catch (...) {
    return -1;  // out of memory: libtiff reports a write error
  }
}

toff_t seek_proc(thandle_t handle, toff_t offset, int whence) {
  auto& f = *static_cast<TiffMemoryFile*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = f.pos;
  if (whence == SEEK_END) base = file_size(f);
  const uint64_t target = base + offset;
  // Offsets beyond 1 TiB only come from damaged headers.
  if (target < base || target > (uint64_t(1) << 40)) return toff_t(-1);
  f.pos = target;
  return target;
}

int close_proc(thandle_t) { return 0; }

toff_t size_proc(thandle_t handle) { return file_size(*static_cast<TiffMemoryFile*>(handle)); }

int map_proc(thandle_t, void**, toff_t*) { return 0; }
void unmap_proc(thandle_t, void*, toff_t) {}

}  // namespace

TiffOpenOptions::TiffOpenOptions() : options_(TIFFOpenOptionsAlloc()) {
  // A few libtiff messages are raised before a handle exists and only reach
  // the process-wide handlers, which print to stderr by default.
  static const bool globals_silenced = [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return true;
  }();
  (void)globals_silenced;
  if (!options_) return;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options_, kMaxSingleAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options_, swallow_message, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options_, swallow_message, nullptr);
}

TiffOpenOptions::~TiffOpenOptions() {
  if (options_) TIFFOpenOptionsFree(options_);
}

TIFF* open_tiff_in_memory(TiffMemoryFile& file, const char* mode) {
  TiffOpenOptions options;
  if (!options.get()) return nullptr;
  // "m": never try to map the client handle.
  const char* full_mode = mode[0] == 'w' ? "wm" : "rm";
  return TIFFClientOpenExt("memory", full_mode, &file, read_proc, write_proc, seek_proc, close_proc,
                           size_proc, map_proc, unmap_proc, options.get());
}

}  // namespace pixkit
