#include "options_block.h"

#include <cstring>
#include <vector>

#include "option_fields.h"

namespace {

constexpr uint8_t kBlockTag[4] = {'E', 'R', 'W', 'T'};
constexpr uint16_t kBlockVersion = 1;
constexpr size_t kFieldHeaderSize = 6;
// Every field this reader knows is at most 8 bytes; a longer unknown one
// is skipped without being held.
constexpr uint32_t kLargestKnownValue = 8;

void put16(std::vector<uint8_t>& bytes, uint16_t v) {
  bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8)});
}

void put32(std::vector<uint8_t>& bytes, uint32_t v) {
  bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

const OptionField* field_of_tag(uint16_t tag) {
  for (const OptionField& field : OptionFields())
    if (field.tag == tag) return &field;
  return nullptr;
}

}  // namespace

void WriteOptionsBlock(SettingsOutput& file, const WatermarkOptions& options) {
  std::vector<uint8_t> fields;
  for (const OptionField& field : OptionFields()) {
    const std::vector<uint8_t> value = EncodeOptionValue(field, options);
    put16(fields, field.tag);
    put32(fields, uint32_t(value.size()));
    fields.insert(fields.end(), value.begin(), value.end());
  }
  std::vector<uint8_t> header(kBlockTag, kBlockTag + 4);
  put16(header, kBlockVersion);
  put32(header, uint32_t(fields.size()));
  file.bytes(header.data(), header.size());
  file.bytes(fields.data(), fields.size());
}

bool ReadOptionsBlock(SettingsInput& file, WatermarkOptions& options) {
  uint8_t tag[4];
  if (file.remaining() < sizeof tag) return true;
  if (!file.bytes(tag, sizeof tag)) return false;
  if (std::memcmp(tag, kBlockTag, sizeof tag) != 0) return true;  // not ours: ignored like any trailing bytes

  uint8_t header[6];
  if (!file.bytes(header, sizeof header)) return false;
  const uint16_t version = uint16_t(header[0] | header[1] << 8);
  uint64_t left = LittleEndianI32(header + 2) & 0xFFFFFFFFu;
  if (version == 0 || left > file.remaining()) return false;

  WatermarkOptions read = options;
  while (left > 0) {
    uint8_t field_header[kFieldHeaderSize];
    if (left < kFieldHeaderSize || !file.bytes(field_header, kFieldHeaderSize)) return false;
    left -= kFieldHeaderSize;
    const uint16_t field_tag = uint16_t(field_header[0] | field_header[1] << 8);
    const uint32_t size = uint32_t(LittleEndianI32(field_header + 2));
    if (size > left) return false;
    left -= size;
    const OptionField* field = field_of_tag(field_tag);
    if (field == nullptr) {
      if (!file.skip(size)) return false;
      continue;
    }
    if (size > kLargestKnownValue) return false;
    uint8_t value[kLargestKnownValue];
    if (!file.bytes(value, size) || !DecodeOptionValue(*field, std::span<const uint8_t>(value, size), read))
      return false;
  }
  options = read;
  return true;
}
