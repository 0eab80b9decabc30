#include "setting_strings.h"

#include <cstdint>
#include <limits>

#include "text_encoding.h"

void WriteSettingString(SettingsOutput& file, const std::string& text) {
  // A length field holds at most 2^31 - 1; longer texts are cut at a
  // character boundary rather than written with a wrapped length.
  const std::string stored = CutUtf8(text, size_t(std::numeric_limits<int32_t>::max()));
  file.i32(int32_t(stored.size()));
  file.bytes(stored.data(), stored.size());
}

bool ReadSettingString(SettingsInput& file, std::string& text) {
  int32_t length;
  if (!file.i32(length)) return false;
  if (length < 0 || uint64_t(length) > file.remaining()) return false;
  std::string bytes(size_t(length), '\0');
  if (!file.bytes(bytes.data(), bytes.size())) return false;
  text = DecodeSettingBytes(bytes);
  return true;
}
