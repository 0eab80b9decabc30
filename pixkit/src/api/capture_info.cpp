// SPDX-License-Identifier: LGPL-2.1-or-later
// PixkitReadCaptureInfo: the EXIF capture fields and the modification time
// of a file, read in place with pread so that a large TIFF is never read
// whole.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "codecs/metadata/capture_fields.h"
#include "core/sized_struct.h"
#include "core/source_file.h"
#include "pixkit/pixkit.h"

using namespace pixkit;

namespace {

void copy_name(const std::string& name, char (&out)[64]) {
  // The reader cuts names to kMaxCameraNameBytes, which leaves room for
  // the terminator.
  static_assert(kMaxCameraNameBytes < sizeof out);
  const size_t length = name.size() < sizeof out - 1 ? name.size() : sizeof out - 1;
  std::memcpy(out, name.data(), length);
  out[length] = '\0';
}

// Fills *info from the file at path; 1 when the file was opened.
int read_capture_info(const char* path, PixkitCaptureInfo* info) {
  if (path == nullptr) return 0;
  try {
    uint64_t size = 0;
    int reason = PIXKIT_REASON_NONE;
    const int fd = open_source_file(path, size, reason);
    if (fd < 0) return 0;
    struct stat st;
    if (::fstat(fd, &st) == 0) {
      info->has_modified_time = 1;
      info->modified_time = int64_t(st.st_mtim.tv_sec);
    }
    CaptureFields fields;
    try {
      fields = read_capture_fields(FileSource(fd, size));
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
    if (fields.has_time) {
      info->has_capture_time = 1;
      info->year = fields.year;
      info->month = fields.month;
      info->day = fields.day;
      info->hour = fields.hour;
      info->minute = fields.minute;
      info->second = fields.second;
    }
    copy_name(fields.make, info->make);
    copy_name(fields.model, info->model);
    return 1;
  } catch (...) {
    // Out of memory for a directory: the file counts as unreadable.
    *info = PixkitCaptureInfoInit();
    return 0;
  }
}

}  // namespace

extern "C" PIXKIT_API int PixkitReadCaptureInfo(const char* path, PixkitCaptureInfo* info) {
  if (info == nullptr || stated_size(info) < PIXKIT_STRUCT_SIZE_MIN) return 0;
  // Filled in full here, handed over as far as the caller has room.
  PixkitCaptureInfo filled = PixkitCaptureInfoInit();
  const int opened = read_capture_info(path, &filled);
  write_sized(info, filled);
  return opened;
}
