// SPDX-License-Identifier: LGPL-2.1-or-later
#include "source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "pixkit/pixkit.h"

namespace pixkit {

int reason_of_errno(int error_number) {
  switch (error_number) {
    case ENOENT:
    case ENOTDIR:
      return PIXKIT_REASON_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return PIXKIT_REASON_NO_PERMISSION;
    case EISDIR:
    case ENXIO:
    case ENODEV:
      return PIXKIT_REASON_NOT_REGULAR;
    case ENOSPC:
    case EDQUOT:
      return PIXKIT_REASON_DISK_FULL;
    case EFBIG:
    case ENOMEM:
      return PIXKIT_REASON_TOO_LARGE;
    case ENAMETOOLONG:
      return PIXKIT_REASON_NAME_TOO_LONG;
    default:
      return PIXKIT_REASON_IO_ERROR;
  }
}

int open_source_file(const char* path, uint64_t& size, int& reason) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    reason = reason_of_errno(errno);
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    reason = reason_of_errno(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    reason = PIXKIT_REASON_NOT_REGULAR;
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    reason = reason_of_errno(errno);
    ::close(fd);
    return -1;
  }
  size = st.st_size > 0 ? uint64_t(st.st_size) : 0;
  return fd;
}

bool FileSource::read(uint64_t offset, void* out, size_t count) const {
  if (offset > size_ || count > size_ - offset) return false;
  auto* bytes = static_cast<uint8_t*>(out);
  while (count > 0) {
    const ssize_t n = ::pread(fd_, bytes, count, off_t(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (failure_reason_ == PIXKIT_REASON_NONE) failure_reason_ = reason_of_errno(errno);
      return false;
    }
    if (n == 0) {
      if (failure_reason_ == PIXKIT_REASON_NONE) failure_reason_ = PIXKIT_REASON_CHANGED;
      return false;
    }
    bytes += n;
    offset += uint64_t(n);
    count -= size_t(n);
  }
  return true;
}

}  // namespace pixkit
