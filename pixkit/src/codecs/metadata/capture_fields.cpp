// SPDX-License-Identifier: LGPL-2.1-or-later
#include "capture_fields.h"

#include <cstring>
#include <optional>
#include <vector>

#include "codecs/tiff/tiff_directory_walk.h"
#include "exif_block.h"

namespace pixkit {
namespace {

constexpr uint16_t kTagMake = 0x010F;
constexpr uint16_t kTagModel = 0x0110;
constexpr uint16_t kTagExifIfd = 0x8769;
constexpr uint16_t kTagDateTimeOriginal = 0x9003;
// "YYYY:MM:DD HH:MM:SS" without its terminator.
constexpr size_t kDateTimeLength = 19;

constexpr uint8_t kMarkerSoi = 0xD8;
constexpr uint8_t kMarkerEoi = 0xD9;
constexpr uint8_t kMarkerSos = 0xDA;
constexpr uint8_t kMarkerApp1 = 0xE1;
constexpr uint8_t kMarkerTem = 0x01;
constexpr int kMaxMarkerSteps = 65536;

// The Exif IFD's offset, as a LONG or an IFD value.
std::optional<uint32_t> ifd_pointer(const TiffEntry& entry) {
  if (entry.count != 1 || (entry.type != kTiffTypeLong && entry.type != kTiffTypeIfd)) return std::nullopt;
  return entry.field_long;
}

bool valid_utf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const uint8_t c = uint8_t(text[i]);
    const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((uint8_t(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

// A camera name as text the program can show: control characters go,
// bytes that are not UTF-8 (EXIF asks for ASCII) go, surrounding blanks go,
// and the result is cut to kMaxCameraNameBytes at a character boundary.
std::string camera_name(const std::string& raw) {
  std::string text;
  for (char c : raw)
    if (uint8_t(c) >= 0x20 && c != 0x7F) text += c;
  if (!valid_utf8(text)) {
    std::string ascii;
    for (char c : text)
      if (uint8_t(c) < 0x80) ascii += c;
    text = ascii;
  }
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (text.size() > kMaxCameraNameBytes) {
    size_t cut = kMaxCameraNameBytes;
    while (cut > 0 && (uint8_t(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  return text;
}

void read_tiff_fields(const RangeSource& source, CaptureFields& fields) {
  const auto header = read_tiff_header(source);
  if (!header) return;
  const TiffDirectoryWalk tiff(source, header->big_endian);
  const uint32_t ifd0_at = header->first_directory;
  const std::optional<TiffDirectory> ifd0 = tiff.directory(ifd0_at);
  if (!ifd0) return;
  std::optional<uint32_t> exif_at;
  // Room for a whole name before it is trimmed and cut.
  constexpr size_t kRawNameBytes = 4 * kMaxCameraNameBytes;
  for (const TiffEntry& entry : ifd0->entries) {
    if (entry.tag == kTagMake) {
      if (auto text = tiff.ascii(entry, kRawNameBytes)) fields.make = camera_name(*text);
    } else if (entry.tag == kTagModel) {
      if (auto text = tiff.ascii(entry, kRawNameBytes)) fields.model = camera_name(*text);
    } else if (entry.tag == kTagExifIfd) {
      exif_at = ifd_pointer(entry);
    }
  }
  if (!exif_at || *exif_at == ifd0_at) return;
  const std::optional<TiffDirectory> exif_ifd = tiff.directory(*exif_at);
  if (!exif_ifd) return;
  for (const TiffEntry& entry : exif_ifd->entries) {
    if (entry.tag != kTagDateTimeOriginal) continue;
    if (auto text = tiff.ascii(entry, kDateTimeLength))
      parse_exif_date_time(text->data(), text->size(), fields);
    break;
  }
}

// The TIFF structure of the first APP1 "Exif" marker before the scan data.
std::optional<std::vector<uint8_t>> jpeg_exif_block(const RangeSource& source) {
  uint64_t at = 2;  // after SOI
  // The metadata comes first in every JPEG written; a file that runs on
  // with fill bytes or tiny markers is not searched to its end.
  for (int step = 0; step < kMaxMarkerSteps; ++step) {
    uint8_t marker[2];
    if (!source.read(at, marker, 2) || marker[0] != 0xFF) return std::nullopt;
    if (marker[1] == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    at += 2;
    const uint8_t code = marker[1];
    if (code == kMarkerSos || code == kMarkerEoi) return std::nullopt;
    if (code == kMarkerTem || code == kMarkerSoi || (code >= 0xD0 && code <= 0xD7)) continue;  // no length
    uint8_t length_bytes[2];
    if (!source.read(at, length_bytes, 2)) return std::nullopt;
    const uint16_t length = uint16_t(length_bytes[0] << 8 | length_bytes[1]);  // includes itself
    if (length < 2) return std::nullopt;
    if (code == kMarkerApp1 && length >= 2 + sizeof kExifMarkerHeader) {
      std::vector<uint8_t> payload(length - 2);
      if (!source.read(at + 2, payload.data(), payload.size())) return std::nullopt;
      if (std::memcmp(payload.data(), kExifMarkerHeader, sizeof kExifMarkerHeader) == 0)
        return std::vector<uint8_t>(payload.begin() + sizeof kExifMarkerHeader, payload.end());
    }
    at += length;
  }
  return std::nullopt;
}

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool parse_exif_date_time(const char* text, size_t size, CaptureFields& fields) {
  if (size < kDateTimeLength) return false;
  auto number = [&](size_t at, size_t digits, int& value) {
    value = 0;
    for (size_t i = at; i < at + digits; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      value = value * 10 + (text[i] - '0');
    }
    return true;
  };
  int year, month, day, hour, minute, second;
  if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day) || !number(11, 2, hour) ||
      !number(14, 2, minute) || !number(17, 2, second))
    return false;
  // EXIF writes colons throughout; some programs write the date with dashes
  // or a "T" between date and time.
  const bool separators = (text[4] == ':' || text[4] == '-') && text[7] == text[4] &&
                          (text[10] == ' ' || text[10] == 'T') && text[13] == ':' && text[16] == ':';
  if (!separators || year < 1 || month < 1 || month > 12 || day < 1 || day > days_in_month(year, month) ||
      hour > 23 || minute > 59 || second > 60)
    return false;
  fields.has_time = true;
  fields.year = year;
  fields.month = month;
  fields.day = day;
  fields.hour = hour;
  fields.minute = minute;
  fields.second = second;
  return true;
}

CaptureFields read_capture_fields(const RangeSource& file) {
  CaptureFields fields;
  uint8_t start[2];
  if (!file.read(0, start, 2)) return fields;
  if (start[0] == 0xFF && start[1] == kMarkerSoi) {
    if (std::optional<std::vector<uint8_t>> block = jpeg_exif_block(file))
      read_tiff_fields(SpanSource(*block), fields);
  } else {
    read_tiff_fields(file, fields);
  }
  return fields;
}

}  // namespace pixkit
