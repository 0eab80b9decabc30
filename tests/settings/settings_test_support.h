// SPDX-License-Identifier: GPL-3.0-or-later
// Scratch folders, file bytes and little-endian builders for the settings
// file tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace settings_test {

namespace fs = std::filesystem;

// A fresh folder, removed with its contents when the test ends.
struct ScratchFolder : testsupport::TempDir {
  ScratchFolder() : TempDir("stempora-settings") {}
};

using testsupport::read_file;
using testsupport::write_file;

// Appends little-endian fields, for hand-laid-out files.
class Bytes {
 public:
  Bytes& u8(uint8_t v);
  Bytes& i32(int32_t v);
  Bytes& f64(double v);
  Bytes& text(const std::string& s);    // raw bytes, no length
  Bytes& string(const std::string& s);  // setting string: length + bytes
  Bytes& zeros(size_t n);
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// The header of a 24-bit picture as the library makes it.
Bytes& picture_header(Bytes& b, int32_t width, int32_t height, int bit_count = 24);

// A content with a w x h 24-bit picture whose pixel (x, y) is red x,
// green y, blue 7; release with deldib.
SettingsFileContent content_with_picture(int width, int height);

}  // namespace settings_test
