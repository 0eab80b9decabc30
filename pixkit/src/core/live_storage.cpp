#include "live_storage.h"

#include <mutex>
#include <unordered_map>

namespace pixkit {
namespace {

// Process-wide on purpose: a storage's liveness is a fact about the whole
// process, not about any one picture's work, and records of one picture can
// be released on any thread. The map holds addresses and serial numbers
// only, nothing of a picture that one worker could change under another,
// and every look-up and change happens under the mutex. The serial number
// tells a storage from a later one that the allocator put at the same
// address after the first was freed.
struct Registry {
  std::mutex mutex;
  std::unordered_map<const DibStorage*, uintptr_t> serial_of;
  uintptr_t last_serial = 0;
};

// Never destroyed: a record held by a static object may still be released
// while the process exits.
Registry& registry() {
  static Registry* instance = new Registry;
  return *instance;
}

uintptr_t serial_in(const TDibImage& dib) { return reinterpret_cast<uintptr_t>(dib.LibraryReserved1); }

}  // namespace

void register_storage(TDibImage& dib, DibStorage* storage) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  // 0 is never handed out, so a zeroed record matches no storage.
  if (++r.last_serial == 0) ++r.last_serial;
  r.serial_of[storage] = r.last_serial;
  dib.LibraryReserved1 = reinterpret_cast<void*>(r.last_serial);
}

DibStorage* live_storage_of(const TDibImage* dib) {
  if (!dib || !dib->Storage) return nullptr;
  auto* storage = static_cast<DibStorage*>(dib->Storage);
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  const auto entry = r.serial_of.find(storage);
  if (entry == r.serial_of.end() || entry->second != serial_in(*dib)) return nullptr;
  return storage;
}

DibStorage* unregister_storage(const TDibImage* dib) {
  if (!dib || !dib->Storage) return nullptr;
  auto* storage = static_cast<DibStorage*>(dib->Storage);
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  const auto entry = r.serial_of.find(storage);
  if (entry == r.serial_of.end() || entry->second != serial_in(*dib)) return nullptr;
  r.serial_of.erase(entry);
  return storage;
}

}  // namespace pixkit
