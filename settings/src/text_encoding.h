// Setting strings are written in UTF-8, this system's 8-bit code page.
// Files made on systems with the Western European code page hold
// Windows-1252 bytes instead; those are recognised by not being UTF-8.
#pragma once

#include <string>
#include <string_view>

bool IsValidUtf8(std::string_view bytes);
std::string Windows1252ToUtf8(std::string_view bytes);
// The bytes of a setting string as UTF-8 text.
std::string DecodeSettingBytes(std::string_view bytes);
// The longest prefix of a UTF-8 text of at most max_bytes bytes that does
// not cut a character apart.
std::string CutUtf8(const std::string& text, size_t max_bytes);
