// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one batch test, removed with its contents at the end.
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace batch_test {

struct ScratchFolder : testsupport::TempDir {
  ScratchFolder() : TempDir("stempora-batch") {}
};

// Writes a 3 x 2 picture at bit_count bits as BMP (format 3) or TGA (12).
bool write_picture(const std::string& path, int bit_count, int format);

}  // namespace batch_test
