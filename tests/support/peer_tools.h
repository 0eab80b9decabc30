// SPDX-License-Identifier: GPL-3.0-or-later
// Running the peer programs (netpbm, ImageMagick) and the files they trade
// with the tests: raw bytes and portable pixmaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/rgba_pixels.h"

namespace testsupport {

// Runs a shell command; true when it exited with 0. Output goes to the
// test log only on failure.
bool run(const std::string& command);
// Whether a program is on PATH.
bool have_program(const std::string& name);

std::vector<uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// Reads P5, P6 or P7 (PAM, GRAYSCALE/RGB/RGB_ALPHA/GRAYSCALE_ALPHA, maxval
// 255) into RGB or RGBA.
Rgba read_pnm(const std::string& path);
// Writes P6 (3 channels) or P7 RGB_ALPHA (4 channels).
void write_pnm(const std::string& path, const Rgba& picture);

}  // namespace testsupport
