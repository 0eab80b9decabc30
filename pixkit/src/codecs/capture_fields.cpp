#include "capture_fields.h"

#include <cstring>
#include <optional>
#include <vector>

namespace pixkit {
namespace {

constexpr uint16_t kTagMake = 0x010F;
constexpr uint16_t kTagModel = 0x0110;
constexpr uint16_t kTagExifIfd = 0x8769;
constexpr uint16_t kTagDateTimeOriginal = 0x9003;
constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeIfd = 13;
constexpr size_t kEntrySize = 12;
// A directory larger than this is not an EXIF directory but noise.
constexpr uint16_t kMaxEntries = 1000;
// "YYYY:MM:DD HH:MM:SS" without its terminator.
constexpr size_t kDateTimeLength = 19;

constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint8_t kMarkerSoi = 0xD8;
constexpr uint8_t kMarkerEoi = 0xD9;
constexpr uint8_t kMarkerSos = 0xDA;
constexpr uint8_t kMarkerApp1 = 0xE1;
constexpr uint8_t kMarkerTem = 0x01;
constexpr int kMaxMarkerSteps = 65536;

struct DirectoryEntry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  uint8_t value[4];  // the value itself when it fits, else its offset
};

class TiffWalk {
 public:
  TiffWalk(const RangeSource& source, bool big_endian) : source_(source), big_endian_(big_endian) {}

  std::optional<uint32_t> u32_at(uint64_t offset) const {
    uint8_t b[4];
    if (!source_.read(offset, b, 4)) return std::nullopt;
    return u32(b);
  }

  // The entries of the directory at offset; empty when it does not fit.
  std::vector<DirectoryEntry> directory(uint32_t offset) const {
    std::vector<DirectoryEntry> entries;
    uint8_t count_bytes[2];
    if (offset < 8 || !source_.read(offset, count_bytes, 2)) return entries;
    const uint16_t count = u16(count_bytes);
    if (count == 0 || count > kMaxEntries) return entries;
    std::vector<uint8_t> raw(kEntrySize * count);
    if (!source_.read(uint64_t(offset) + 2, raw.data(), raw.size())) return entries;
    entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = raw.data() + kEntrySize * i;
      DirectoryEntry entry{u16(e), u16(e + 2), u32(e + 4), {}};
      std::memcpy(entry.value, e + 8, 4);
      entries.push_back(entry);
    }
    return entries;
  }

  // An ASCII value up to its first NUL, at most max_bytes of it.
  std::optional<std::string> ascii(const DirectoryEntry& entry, size_t max_bytes) const {
    if (entry.type != kTypeAscii || entry.count == 0) return std::nullopt;
    const size_t length = entry.count < max_bytes ? entry.count : max_bytes;
    std::string text(length, '\0');
    if (entry.count <= 4) {
      std::memcpy(text.data(), entry.value, length);
    } else if (!source_.read(u32(entry.value), text.data(), length)) {
      return std::nullopt;
    }
    text.resize(std::strlen(text.c_str()));
    return text;
  }

  std::optional<uint32_t> ifd_pointer(const DirectoryEntry& entry) const {
    if (entry.count != 1 || (entry.type != kTypeLong && entry.type != kTypeIfd)) return std::nullopt;
    return u32(entry.value);
  }

 private:
  uint16_t u16(const uint8_t* b) const {
    return big_endian_ ? uint16_t(b[0] << 8 | b[1]) : uint16_t(b[1] << 8 | b[0]);
  }
  uint32_t u32(const uint8_t* b) const {
    return big_endian_ ? uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]
                       : uint32_t(b[3]) << 24 | uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
  }

  const RangeSource& source_;
  bool big_endian_;
};

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
  uint8_t header[4];
  if (!source.read(0, header, 4)) return;
  bool big_endian;
  if (header[0] == 'I' && header[1] == 'I' && header[2] == 42 && header[3] == 0)
    big_endian = false;
  else if (header[0] == 'M' && header[1] == 'M' && header[2] == 0 && header[3] == 42)
    big_endian = true;
  else
    return;
  TiffWalk tiff(source, big_endian);
  const std::optional<uint32_t> ifd0_at = tiff.u32_at(4);
  if (!ifd0_at) return;
  std::optional<uint32_t> exif_at;
  // Room for a whole name before it is trimmed and cut.
  constexpr size_t kRawNameBytes = 4 * kMaxCameraNameBytes;
  for (const DirectoryEntry& entry : tiff.directory(*ifd0_at)) {
    if (entry.tag == kTagMake) {
      if (auto text = tiff.ascii(entry, kRawNameBytes)) fields.make = camera_name(*text);
    } else if (entry.tag == kTagModel) {
      if (auto text = tiff.ascii(entry, kRawNameBytes)) fields.model = camera_name(*text);
    } else if (entry.tag == kTagExifIfd) {
      exif_at = tiff.ifd_pointer(entry);
    }
  }
  if (!exif_at || *exif_at == *ifd0_at) return;
  for (const DirectoryEntry& entry : tiff.directory(*exif_at)) {
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
    if (code == kMarkerApp1 && length >= 2 + sizeof kExifHeader) {
      std::vector<uint8_t> payload(length - 2);
      if (!source.read(at + 2, payload.data(), payload.size())) return std::nullopt;
      if (std::memcmp(payload.data(), kExifHeader, sizeof kExifHeader) == 0)
        return std::vector<uint8_t>(payload.begin() + sizeof kExifHeader, payload.end());
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

bool SpanSource::read(uint64_t offset, void* out, size_t count) const {
  if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
  if (count != 0) std::memcpy(out, bytes_.data() + offset, count);
  return true;
}

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
