// SPDX-License-Identifier: LGPL-2.1-or-later
// Taking the where and the which-camera out of an EXIF block before it
// leaves with a picture for the web: the GPS directory and the serial
// numbers of body and lens. Everything else of the block stays.
#pragma once

#include <cstdint>
#include <vector>

#include "core/result.h"

namespace pixkit {

// Unlinks the GPS directory from IFD0 and zeroes its bytes, and removes
// BodySerialNumber, LensSerialNumber and CameraSerialNumber with their
// values. Fails on a block that does not hold together; the caller then
// writes no EXIF at all rather than one that may still say where.
[[nodiscard]] Status remove_gps_and_serials(std::vector<uint8_t>& block);

}  // namespace pixkit
