// SPDX-License-Identifier: LGPL-2.1-or-later
#include "xmp_privacy.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace pixkit {
namespace {

constexpr int kApp1 = 0xE1;
constexpr std::string_view kXmpHeader{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view kExtendedXmpHeader{"http://ns.adobe.com/xmp/extension/\0", 35};
constexpr std::string_view kGpsProperty = "exif:GPS";

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_name_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ':';
}

bool starts_with(const std::vector<uint8_t>& payload, std::string_view prefix) {
  return payload.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), payload.begin());
}

// Where the property named at name_start ends: past the closing quote of
// an attribute's value, or past the end tag of an element (from the '<'
// before the name). nullopt when the XML does not say.
std::optional<size_t> end_of_attribute(const std::string& xmp, size_t name_end) {
  size_t p = name_end;
  while (p < xmp.size() && is_space(xmp[p])) ++p;
  if (p >= xmp.size() || xmp[p] != '=') return std::nullopt;
  ++p;
  while (p < xmp.size() && is_space(xmp[p])) ++p;
  if (p >= xmp.size() || (xmp[p] != '"' && xmp[p] != '\'')) return std::nullopt;
  const size_t close = xmp.find(xmp[p], p + 1);
  if (close == std::string::npos) return std::nullopt;
  return close + 1;
}

std::optional<size_t> end_of_element(const std::string& xmp, size_t name_start, size_t name_end) {
  const size_t tag_end = xmp.find('>', name_end);
  if (tag_end == std::string::npos) return std::nullopt;
  if (xmp[tag_end - 1] == '/') return tag_end + 1;
  const std::string end_tag = "</" + xmp.substr(name_start, name_end - name_start);
  size_t close = xmp.find(end_tag, tag_end);
  // "</exif:GPSLatitude" must not match "</exif:GPSLatitudeRef".
  while (close != std::string::npos && close + end_tag.size() < xmp.size() &&
         is_name_char(xmp[close + end_tag.size()]))
    close = xmp.find(end_tag, close + 1);
  if (close == std::string::npos) return std::nullopt;
  const size_t after = xmp.find('>', close);
  if (after == std::string::npos) return std::nullopt;
  return after + 1;
}

// The packet without its exif:GPS properties; nullopt when one cannot be
// cut out cleanly.
std::optional<std::string> without_gps(std::string xmp) {
  size_t at = 0;
  while ((at = xmp.find(kGpsProperty, at)) != std::string::npos) {
    size_t name_end = at + kGpsProperty.size();
    while (name_end < xmp.size() && is_name_char(xmp[name_end])) ++name_end;
    const char before = at > 0 ? xmp[at - 1] : '\0';
    if (before == '<') {
      const auto end = end_of_element(xmp, at, name_end);
      if (!end) return std::nullopt;
      xmp.erase(at - 1, *end - (at - 1));
      at -= 1;
    } else if (is_space(before)) {
      const auto end = end_of_attribute(xmp, name_end);
      if (!end) return std::nullopt;
      size_t start = at;
      while (start > 0 && is_space(xmp[start - 1])) --start;
      xmp.erase(start, *end - start);
      at = start;
    } else {
      // Anywhere else (an end tag without its start, a name inside a
      // value) the packet is not what it seems.
      return std::nullopt;
    }
  }
  return xmp;
}

}  // namespace

void remove_xmp_gps(std::vector<KeptSegment>& segments) {
  std::vector<KeptSegment> kept;
  for (KeptSegment& segment : segments) {
    if (segment.marker == kApp1 && starts_with(segment.payload, kExtendedXmpHeader)) continue;
    if (segment.marker == kApp1 && starts_with(segment.payload, kXmpHeader)) {
      const std::string packet(segment.payload.begin() + long(kXmpHeader.size()), segment.payload.end());
      const auto cleaned = without_gps(packet);
      if (!cleaned) continue;
      segment.payload.resize(kXmpHeader.size());
      segment.payload.insert(segment.payload.end(), cleaned->begin(), cleaned->end());
    }
    kept.push_back(std::move(segment));
  }
  segments = std::move(kept);
}

}  // namespace pixkit
