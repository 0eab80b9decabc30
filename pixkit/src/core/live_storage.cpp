// SPDX-License-Identifier: LGPL-2.1-or-later
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

namespace {

// The registry's entry for the record's storage, when that storage is still
// the one the record was made with. Call with the registry's mutex held.
auto live_entry_of(Registry& r, const TDibImage& dib) {
  const auto entry = r.serial_of.find(static_cast<const DibStorage*>(dib.Storage));
  if (entry != r.serial_of.end() && entry->second != serial_in(dib)) return r.serial_of.end();
  return entry;
}

}  // namespace

DibStorage* live_storage_of(const TDibImage* dib) {
  if (!dib || !dib->Storage) return nullptr;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (live_entry_of(r, *dib) == r.serial_of.end()) return nullptr;
  return static_cast<DibStorage*>(dib->Storage);
}

DibStorage* unregister_storage(const TDibImage* dib) {
  if (!dib || !dib->Storage) return nullptr;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  const auto entry = live_entry_of(r, *dib);
  if (entry == r.serial_of.end()) return nullptr;
  r.serial_of.erase(entry);
  return static_cast<DibStorage*>(dib->Storage);
}

}  // namespace pixkit
