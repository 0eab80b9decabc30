// SPDX-License-Identifier: GPL-3.0-or-later
// Setting strings are written in UTF-8, this system's 8-bit code page.
// Files made on systems with the Western European code page hold
// Windows-1252 bytes instead; those are recognised by not being UTF-8.
#pragma once

#include <string>
#include <string_view>

bool IsValidUtf8(std::string_view bytes);
std::string Windows1252ToUtf8(std::string_view bytes);
// The length of Windows1252ToUtf8(bytes).
size_t Windows1252Utf8Length(std::string_view bytes);
// buffer holds Windows-1252 bytes from offset to its end, and its size is
// what they take as UTF-8 (offset = that length - the number of bytes);
// afterwards the whole buffer is the UTF-8 text. A huge text is converted
// in the memory it ends up in, without a second copy. False, with the
// buffer spoilt, when the sizes do not fit the bytes.
[[nodiscard]] bool Windows1252ToUtf8InPlace(std::string& buffer, size_t offset);
// The bytes of a setting string as UTF-8 text; UTF-8 bytes are handed back
// as they are, without a copy.
std::string DecodeSettingBytes(std::string bytes);
// The longest prefix of a UTF-8 text of at most max_bytes bytes that does
// not cut a character apart.
std::string CutUtf8(const std::string& text, size_t max_bytes);
