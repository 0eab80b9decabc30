// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_encoding.h"

#include <cstdint>

namespace {

// Code points of 0x80..0x9F in Windows-1252; the five unassigned bytes map
// to the C1 control of the same number, as the system's converter does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void append_utf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

size_t utf8_length(uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3; }

uint32_t windows1252_code_point(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHighControls[c - 0x80];
  return c;  // ASCII and the Latin-1 range: code point = byte
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = bytes[i];
    size_t length;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = bytes[i + k];
      if (!is_continuation(next)) return false;
      cp = cp << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

size_t Windows1252Utf8Length(std::string_view bytes) {
  size_t length = 0;
  for (const char ch : bytes) length += utf8_length(windows1252_code_point(static_cast<unsigned char>(ch)));
  return length;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(Windows1252Utf8Length(bytes));
  for (const char ch : bytes) append_utf8(out, windows1252_code_point(static_cast<unsigned char>(ch)));
  return out;
}

bool Windows1252ToUtf8InPlace(std::string& buffer, size_t offset) {
  // Every byte becomes one to three bytes. When the buffer's size is the
  // bytes' UTF-8 length, the text written so far never reaches the bytes
  // still to be read; the check holds that up whatever the bytes are.
  size_t out = 0;
  for (size_t in = offset; in < buffer.size(); ++in) {
    const uint32_t cp = windows1252_code_point(static_cast<unsigned char>(buffer[in]));
    const size_t length = utf8_length(cp);
    if (out + length > in + 1) return false;
    if (length == 1) {
      buffer[out++] = char(cp);
    } else if (length == 2) {
      buffer[out++] = char(0xC0 | (cp >> 6));
      buffer[out++] = char(0x80 | (cp & 0x3F));
    } else {
      buffer[out++] = char(0xE0 | (cp >> 12));
      buffer[out++] = char(0x80 | ((cp >> 6) & 0x3F));
      buffer[out++] = char(0x80 | (cp & 0x3F));
    }
  }
  return out == buffer.size();
}

std::string DecodeSettingBytes(std::string bytes) {
  if (IsValidUtf8(bytes)) return bytes;
  return Windows1252ToUtf8(bytes);
}

std::string CutUtf8(const std::string& text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t end = max_bytes;
  while (end > 0 && is_continuation(static_cast<unsigned char>(text[end]))) --end;
  return text.substr(0, end);
}
