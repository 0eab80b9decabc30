// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_io.h"

#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <limits>

void SettingsOutput::bytes(const void* data, size_t size) {
  if (error_number_ != 0 || size == 0) return;
  errno = 0;
  if (std::fwrite(data, 1, size, file_) != size) error_number_ = errno != 0 ? errno : EIO;
}

void SettingsOutput::i32(int32_t value) {
  const uint32_t v = uint32_t(value);
  const uint8_t le[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  bytes(le, 4);
}

void SettingsOutput::f64(double value) {
  uint64_t v;
  std::memcpy(&v, &value, 8);
  uint8_t le[8];
  for (int i = 0; i < 8; ++i) le[i] = uint8_t(v >> (8 * i));
  bytes(le, 8);
}

bool SettingsInput::bytes(void* data, size_t size) {
  if (size > remaining_) return false;
  if (size != 0 && std::fread(data, 1, size, file_) != size) return false;
  remaining_ -= size;
  return true;
}

bool SettingsInput::skip(uint64_t size) {
  if (size > remaining_ || size > uint64_t(std::numeric_limits<off_t>::max())) return false;
  if (size != 0 && ::fseeko(file_, off_t(size), SEEK_CUR) != 0) return false;
  remaining_ -= size;
  return true;
}

bool SettingsInput::rewind(size_t size) {
  if (size > uint64_t(std::numeric_limits<off_t>::max())) return false;
  if (::fseeko(file_, -off_t(size), SEEK_CUR) != 0) return false;
  remaining_ += size;
  return true;
}

bool SettingsInput::i32(int32_t& value) {
  uint8_t le[4];
  if (!bytes(le, 4)) return false;
  value = LittleEndianI32(le);
  return true;
}

bool SettingsInput::f64(double& value) {
  uint8_t le[8];
  if (!bytes(le, 8)) return false;
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= uint64_t(le[i]) << (8 * i);
  std::memcpy(&value, &v, 8);
  return true;
}
