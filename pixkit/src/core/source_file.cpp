#include "source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "pixkit/pixkit.h"

namespace pixkit {
namespace {

// Larger than any picture at the default size limits can take in any of
// the formats read (250 million pixels at 8 bytes); a larger file is not
// read into memory at all.
constexpr uint64_t kMaxSourceBytes = uint64_t(4) << 30;

}  // namespace

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

bool read_source_file(int fd, uint64_t size, std::vector<uint8_t>& bytes, int& reason) {
  if (size > kMaxSourceBytes) {
    reason = PIXKIT_REASON_TOO_LARGE;
    return false;
  }
  try {
    bytes.resize(size_t(size));
  } catch (const std::bad_alloc&) {
    reason = PIXKIT_REASON_TOO_LARGE;
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      reason = reason_of_errno(errno);
      return false;
    }
    if (n == 0) {
      reason = PIXKIT_REASON_CHANGED;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

}  // namespace pixkit
