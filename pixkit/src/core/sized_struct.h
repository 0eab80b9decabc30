// SPDX-License-Identifier: LGPL-2.1-or-later
// The structs of pixkit.h that may grow start with the size the caller's
// pixkit.h gave them. A program built against an older header hands in a
// shorter struct, so the library reads a field only when it lies wholly
// inside that size, takes the default (zero) for the rest, and writes back
// only inside it. The caller's struct is never read as a whole: its bytes
// are copied as far as its size reaches into one of this library's size,
// and the fields are taken from that copy.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "pixkit/pixkit.h"

namespace pixkit {

// The size member comes first and the field after it is four bytes, in
// every struct that has one; PIXKIT_STRUCT_SIZE_MIN counts on that.
template <class Struct>
constexpr bool kHasSizeFirst = offsetof(Struct, struct_size) == 0 && sizeof(Struct::struct_size) == 4;

// The size the caller's struct states.
template <class Struct>
uint32_t stated_size(const Struct* given) {
  uint32_t size = 0;
  std::memcpy(&size, given, sizeof size);
  return size;
}

// Where member ends inside Struct.
template <class Struct, class Field>
size_t end_of(Field Struct::*member) {
  const Struct probe{};
  const auto* base = reinterpret_cast<const unsigned char*>(&probe);
  const auto* field = reinterpret_cast<const unsigned char*>(&(probe.*member));
  return size_t(field - base) + sizeof(Field);
}

// The caller's struct as far as its size reaches, the rest zero; nullopt
// for a size below PIXKIT_STRUCT_SIZE_MIN. Fields are taken from it with
// take(), which leaves out one the size cuts through.
template <class Struct>
std::optional<Struct> copy_of_sized(const Struct* given) {
  static_assert(kHasSizeFirst<Struct>);
  const uint32_t size = stated_size(given);
  if (size < PIXKIT_STRUCT_SIZE_MIN) return std::nullopt;
  Struct copy{};
  std::memcpy(&copy, given, std::min<size_t>(size, sizeof(Struct)));
  return copy;
}

// Sets out's member from the copy when the caller's size holds all of it.
template <class Struct, class Field>
void take(Struct& out, const Struct& copy, Field Struct::*member) {
  if (end_of(member) <= copy.struct_size) out.*member = copy.*member;
}

// Writes filled into the caller's struct as far as its size reaches,
// keeping the caller's size member.
template <class Struct>
void write_sized(Struct* given, const Struct& filled) {
  static_assert(kHasSizeFirst<Struct>);
  const size_t size = std::min<size_t>(stated_size(given), sizeof(Struct));
  constexpr size_t kSkip = sizeof(uint32_t);
  if (size > kSkip)
    std::memcpy(reinterpret_cast<unsigned char*>(given) + kSkip,
                reinterpret_cast<const unsigned char*>(&filled) + kSkip, size - kSkip);
}

// Writes member of filled into the caller's struct when its size holds all
// of it.
template <class Struct, class Field>
void put(Struct* given, const Struct& filled, Field Struct::*member) {
  const size_t end = end_of(member);
  if (end > stated_size(given)) return;
  const size_t offset = end - sizeof(Field);
  std::memcpy(reinterpret_cast<unsigned char*>(given) + offset,
              reinterpret_cast<const unsigned char*>(&filled) + offset, sizeof(Field));
}

// The caller's call options as far as their size reaches, every other
// field zero (NULL: all zero); nullopt for a refused size.
inline std::optional<PixkitCallOptions> held_call_options(const PixkitCallOptions* options) {
  PixkitCallOptions held = PixkitCallOptionsInit();
  if (options == nullptr) return held;
  const auto given = copy_of_sized(options);
  if (!given) return std::nullopt;
  take(held, *given, &PixkitCallOptions::jpeg_quality);
  take(held, *given, &PixkitCallOptions::progress);
  take(held, *given, &PixkitCallOptions::progress_owner);
  return held;
}

}  // namespace pixkit
