// SPDX-License-Identifier: GPL-3.0-or-later
#include "worker_limit.h"

#include <sys/sysinfo.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace {

// What a source in work holds per pixel at its peak, measured with
// 12-megapixel pictures: about 3 bytes for a JPEG photo (the 24-bit
// record), 5.5 for an uncompressed BMP (the file is read whole beside the
// record); a 32-bit picture keeps its alpha plane aside as well. The rest
// is room for a watermark made as large as the picture.
constexpr uint64_t kBytesPerPixelInWork = 10;

std::optional<uint64_t> read_number(const std::string& path) {
  std::ifstream in(path);
  uint64_t number = 0;
  if (in >> number) return number;
  return std::nullopt;
}

std::optional<uint64_t> mem_available() {
  // "MemAvailable:   22263412 kB"; some other lines have no unit.
  std::ifstream in("/proc/meminfo");
  constexpr std::string_view kName = "MemAvailable:";
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, kName.size(), kName) != 0) continue;
    std::istringstream value(line.substr(kName.size()));
    uint64_t kibibytes = 0;
    if (value >> kibibytes) return kibibytes * 1024;
  }
  return std::nullopt;
}

// The least room that any level of this process's memory cgroup leaves
// under its limit, from the cgroup file system mounted at root; nothing
// when no level has a limit (or the files are not there).
std::optional<uint64_t> room_in_cgroup(std::string path, const std::string& root, const char* limit_file,
                                       const char* usage_file) {
  if (path.empty() || path.front() != '/' || path.find("/..") != std::string::npos) return std::nullopt;
  std::optional<uint64_t> room;
  for (;;) {
    const std::string folder = root + (path == "/" ? std::string() : path);
    const std::optional<uint64_t> limit = read_number(folder + "/" + limit_file);  // "max" reads as none
    const std::optional<uint64_t> usage = read_number(folder + "/" + usage_file);
    if (limit && usage) {
      // At least a byte: 0 would read as "nothing known" to the caller.
      const uint64_t here = *limit > *usage ? *limit - *usage : 1;
      room = room ? std::min(*room, here) : here;
    }
    if (path == "/") return room;
    const size_t slash = path.rfind('/');
    path = slash == 0 ? "/" : path.substr(0, slash);
  }
}

// The process's cgroups from /proc/self/cgroup: "0::/path" for the
// unified hierarchy (v2), "N:...memory...:/path" for the memory
// controller of the older one (v1).
std::optional<uint64_t> cgroup_room() {
  std::ifstream in("/proc/self/cgroup");
  std::optional<uint64_t> room;
  for (std::string line; std::getline(in, line);) {
    const size_t first = line.find(':');
    const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
    const std::string path = line.substr(second + 1);
    std::optional<uint64_t> here;
    if (line.compare(0, 3, "0::") == 0)
      here = room_in_cgroup(path, "/sys/fs/cgroup", "memory.max", "memory.current");
    else if (controllers.find(",memory,") != std::string::npos)
      here = room_in_cgroup(path, "/sys/fs/cgroup/memory", "memory.limit_in_bytes", "memory.usage_in_bytes");
    if (here) room = room ? std::min(*room, *here) : *here;
  }
  return room;
}

}  // namespace

bool WorkerLimit::wait_for_room(int running) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return closed_ || running < allowed(); });
  return !closed_;
}

void WorkerLimit::begin_source() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return in_work_ < allowed(); });
  ++in_work_;
}

void WorkerLimit::end_source() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    --in_work_;
  }
  changed_.notify_all();
}

void WorkerLimit::note_picture(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return;
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * kBytesPerPixelInWork;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (bytes <= largest_bytes_) return;
    largest_bytes_ = bytes;
  }
  changed_.notify_all();
}

void WorkerLimit::close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

int WorkerLimit::allowed() const {
  if (memory_ == 0) return most_;
  if (largest_bytes_ == 0) return 1;
  // One source is always allowed: a picture larger than the memory at hand
  // fails or succeeds on its own, as it would with --jobs 1.
  const uint64_t fitting = memory_ / largest_bytes_;
  return int(std::clamp<uint64_t>(fitting, 1, uint64_t(most_)));
}

uint64_t AvailableMemoryBytes() {
  std::optional<uint64_t> available = mem_available();
  if (!available) {
    struct sysinfo info {};
    if (::sysinfo(&info) == 0) available = (uint64_t(info.freeram) + info.bufferram) * info.mem_unit;
  }
  if (const std::optional<uint64_t> room = cgroup_room())
    available = available ? std::min(*available, *room) : *room;
  return available.value_or(0);
}
