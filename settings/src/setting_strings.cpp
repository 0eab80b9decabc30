// SPDX-License-Identifier: GPL-3.0-or-later
#include "setting_strings.h"

#include <unistd.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "run/output_path.h"
#include "text_encoding.h"

void WriteSettingString(SettingsOutput& file, const std::string& text) {
  // A length field holds at most 2^31 - 1; longer texts are cut at a
  // character boundary rather than written with a wrapped length.
  const std::string stored = CutUtf8(text, size_t(std::numeric_limits<int32_t>::max()));
  file.i32(int32_t(stored.size()));
  file.bytes(stored.data(), stored.size());
}

namespace {

// The stored bytes, undecoded.
bool read_setting_bytes(SettingsInput& file, std::string& bytes) {
  int32_t length;
  if (!file.i32(length)) return false;
  if (length < 0 || uint64_t(length) > file.remaining()) return false;
  std::string read(size_t(length), '\0');
  if (!file.bytes(read.data(), read.size())) return false;
  bytes = std::move(read);
  return true;
}

}  // namespace

bool ReadSettingString(SettingsInput& file, std::string& text) {
  std::string bytes;
  if (!read_setting_bytes(file, bytes)) return false;
  if (IsValidUtf8(bytes)) {
    text = std::move(bytes);
    return true;
  }
  // Windows-1252 bytes take more room as UTF-8. Holding the bytes and the
  // converted text side by side would need three times a huge text's size
  // at its worst; instead the bytes are dropped, read again into the end of
  // the text's own storage and converted where they lie.
  const size_t byte_count = bytes.size();
  const size_t length = Windows1252Utf8Length(bytes);
  std::string().swap(bytes);  // frees the storage; assigning an empty string would keep it
  if (!file.rewind(byte_count)) return false;
  std::string converted(length, '\0');
  const size_t offset = length - byte_count;
  if (!file.bytes(converted.data() + offset, byte_count)) return false;
  // The bytes read again are checked too: the file may have changed since.
  if (!Windows1252ToUtf8InPlace(converted, offset)) return false;
  text = std::move(converted);
  return true;
}

bool ReadSettingPath(SettingsInput& file, const std::string& folder, std::string& path) {
  std::string bytes;
  if (!read_setting_bytes(file, bytes)) return false;
  // File names on this system are bytes. Bytes that are not UTF-8 may be a
  // name from a disk written in another encoding, which is found only as
  // it is; only a name that is not there is taken for Windows-1252 text.
  if (!IsValidUtf8(bytes) && ::access(OpenedSourcePath(bytes, folder).c_str(), F_OK) != 0) {
    path = Windows1252ToUtf8(bytes);
  } else {
    path = std::move(bytes);
  }
  return true;
}
