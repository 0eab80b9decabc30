// SPDX-License-Identifier: GPL-3.0-or-later
// Little-endian field streams over a file, for the settings file. The
// output remembers the first write error; the input refuses every read
// that would go past the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A signed 32-bit little-endian field at p.
inline int32_t LittleEndianI32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

class SettingsOutput {
 public:
  explicit SettingsOutput(std::FILE* file) : file_(file) {}

  void bytes(const void* data, size_t size);
  void u8(uint8_t value) { bytes(&value, 1); }
  void i32(int32_t value);
  void f64(double value);

  bool ok() const { return error_number_ == 0; }
  int error_number() const { return error_number_; }  // errno of the first failed write

 private:
  std::FILE* file_;
  int error_number_ = 0;
};

class SettingsInput {
 public:
  // size: the file's length in bytes, so no read has to trust a length
  // field before checking it against what is left.
  SettingsInput(std::FILE* file, uint64_t size) : file_(file), remaining_(size) {}

  [[nodiscard]] bool bytes(void* data, size_t size);
  [[nodiscard]] bool u8(uint8_t& value) { return bytes(&value, 1); }
  [[nodiscard]] bool i32(int32_t& value);
  [[nodiscard]] bool f64(double& value);

  // Steps over the next size bytes without reading them.
  [[nodiscard]] bool skip(uint64_t size);
  // Steps back over the last size bytes read, to read them again.
  [[nodiscard]] bool rewind(size_t size);

  uint64_t remaining() const { return remaining_; }
  bool at_end() const { return remaining_ == 0; }

 private:
  std::FILE* file_;
  uint64_t remaining_;
};
