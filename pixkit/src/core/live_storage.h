// SPDX-License-Identifier: LGPL-2.1-or-later
// The record storages this library made and has not released yet.
//
// Records are plain values that callers copy freely, so a record handed to
// deldib may be a second copy of one already released, and what its Storage
// points at may be freed memory or, by now, another picture's storage at the
// same address. Only a look-up that never follows the pointer can tell; this
// registry answers it from the address and a serial number that the record
// carries in its first reserved field.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"

namespace pixkit {

struct DibStorage;

// Enters storage as live and marks the record (which must point at it) with
// the storage's serial number.
void register_storage(TDibImage& dib, DibStorage* storage);

// The storage of a record whose storage is still live, else null. Reads
// only the record itself, never what its Storage points at.
DibStorage* live_storage_of(const TDibImage* dib);

// Takes the record's storage out of the registry and returns it for the
// caller to free; null when it was not live (released before, or never
// made here), in which case nothing must be freed.
DibStorage* unregister_storage(const TDibImage* dib);

}  // namespace pixkit
