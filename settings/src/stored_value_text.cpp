// SPDX-License-Identifier: GPL-3.0-or-later
#include "stored_value_text.h"

#include <charconv>
#include <string_view>

#include "settings/profile_file.h"

namespace {

constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr const char* kPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

std::string trimmed(std::string_view text) { return std::string(TrimProfileBlanks(text)); }

}  // namespace

std::string FormatStoredFloat(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

std::optional<double> ParseStoredFloat(const std::string& text) {
  const std::string value = trimmed(text);
  const char* begin = value.data();
  const char* end = begin + value.size();
  if (begin != end && *begin == '+') ++begin;  // from_chars refuses the plus sign
  double parsed = 0;
  const auto [next, error] = std::from_chars(begin, end, parsed);
  if (error != std::errc() || next != end || begin == end) return std::nullopt;
  return parsed;
}

int32_t ParseStoredInteger(const std::string& text) {
  const std::string value = trimmed(text);
  const char* begin = value.data();
  const char* end = begin + value.size();
  if (begin != end && *begin == '+') ++begin;
  int32_t parsed = 0;
  const auto [next, error] = std::from_chars(begin, end, parsed);
  if (error != std::errc() || next != end || begin == end) return 0;
  return parsed;
}

const char* FormatStoredBoolean(bool value) { return value ? "True" : "False"; }

std::optional<bool> ParseStoredBoolean(const std::string& text) {
  if (SameProfileName(text, "True")) return true;
  if (SameProfileName(text, "False")) return false;
  return std::nullopt;
}

std::string FormatFontStyle(uint8_t style) {
  std::string text = "[";
  for (int bit = 0; bit < 4; ++bit) {
    if ((style & (1 << bit)) == 0) continue;
    if (text.size() > 1) text += ",";
    text += kFontStyleNames[bit];
  }
  return text + "]";
}

std::optional<uint8_t> ParseFontStyle(const std::string& text) {
  std::string value = trimmed(text);
  if (value.size() < 2 || value.front() != '[' || value.back() != ']') return std::nullopt;
  value = value.substr(1, value.size() - 2);
  uint8_t style = 0;
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    const std::string name = trimmed(std::string_view(value).substr(start, comma - start));
    if (!name.empty()) {
      int bit = 0;
      while (bit < 4 && !SameProfileName(name, kFontStyleNames[bit])) ++bit;
      if (bit == 4) return std::nullopt;  // names no style: the font keeps its own
      style = uint8_t(style | (1 << bit));
    } else if (comma < value.size()) {
      return std::nullopt;
    }
    start = comma + 1;
  }
  return style;
}

const char* FormatFontPitch(uint8_t pitch) { return kPitchNames[pitch < 3 ? pitch : 0]; }

std::optional<uint8_t> ParseFontPitch(const std::string& text) {
  for (uint8_t pitch = 0; pitch < 3; ++pitch)
    if (SameProfileName(text, kPitchNames[pitch])) return pitch;
  return std::nullopt;
}
