// SPDX-License-Identifier: GPL-3.0-or-later
#include "options_block.h"

#include <cstring>
#include <vector>

#include "option_fields.h"

namespace {

constexpr uint8_t kBlockTag[4] = {'E', 'R', 'W', 'T'};
constexpr uint16_t kBlockVersion = 1;
constexpr size_t kFieldHeaderSize = 6;
// Every field this reader knows is at most 8 bytes, a text at most
// kMaxOptionTextBytes; a longer unknown one is skipped without being held.
constexpr uint32_t kLargestKnownValue = 8;
// The picture watermark with its alpha channel: width and height (4 bytes
// each), then its rows of blue, green, red and alpha bytes, bottom row
// first.
constexpr uint16_t kAlphaPictureTag = 0x01F0;

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

void WriteOptionsBlock(SettingsOutput& file, const WatermarkOptions& options,
                       const TDibImage* alpha_picture) {
  std::vector<uint8_t> fields;
  for (const OptionField& field : OptionFields()) {
    if (!OptionFieldIsWritten(field, options)) continue;
    const std::vector<uint8_t> value = EncodeOptionValue(field, options);
    put16(fields, field.tag);
    put32(fields, uint32_t(value.size()));
    fields.insert(fields.end(), value.begin(), value.end());
  }
  if (alpha_picture != nullptr && alpha_picture->Info != nullptr && alpha_picture->Bits != nullptr &&
      alpha_picture->Info->bmiHeader.biBitCount == 32 && alpha_picture->Info->bmiHeader.biHeight > 0) {
    const uint32_t width = uint32_t(alpha_picture->Info->bmiHeader.biWidth);
    const uint32_t height = uint32_t(alpha_picture->Info->bmiHeader.biHeight);
    const uint64_t rows = uint64_t(alpha_picture->RowBytes) * height;
    if (8 + rows <= 0xFFFFFFFFu - fields.size()) {
      put16(fields, kAlphaPictureTag);
      put32(fields, uint32_t(8 + rows));
      put32(fields, width);
      put32(fields, height);
      fields.insert(fields.end(), alpha_picture->Bits, alpha_picture->Bits + rows);
    }
  }
  std::vector<uint8_t> header(kBlockTag, kBlockTag + 4);
  put16(header, kBlockVersion);
  put32(header, uint32_t(fields.size()));
  file.bytes(header.data(), header.size());
  file.bytes(fields.data(), fields.size());
}

// The alpha picture field's value, size bytes long; a new 32-bit record, or
// none when the field does not describe one.
TDibImage read_alpha_picture(SettingsInput& file, uint32_t size) {
  TDibImage none{};
  uint8_t dims[8];
  if (size < 8 || !file.bytes(dims, 8)) return none;
  const int32_t width = LittleEndianI32(dims);
  const int32_t height = LittleEndianI32(dims + 4);
  if (width < 1 || height < 1 || uint64_t(width) * uint64_t(height) * 4 != size - 8) return none;
  TDibImage picture = newdib(width, height, 32, nullptr, 0);
  if (picture.Bits == nullptr || !file.bytes(picture.Bits, size - 8)) {
    deldib(&picture);
    return none;
  }
  return picture;
}

bool ReadOptionsBlock(SettingsInput& file, WatermarkOptions& options, TDibImage* alpha_picture) {
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
    if (field_tag == kAlphaPictureTag && alpha_picture != nullptr) {
      TDibImage picture = read_alpha_picture(file, size);
      if (picture.Bits == nullptr) return false;
      deldib(alpha_picture);
      *alpha_picture = picture;
      continue;
    }
    const OptionField* field = field_of_tag(field_tag);
    if (field == nullptr) {
      if (!file.skip(size)) return false;
      continue;
    }
    const bool text = std::holds_alternative<TextField>(field->value);
    if (size > (text ? kMaxOptionTextBytes : kLargestKnownValue)) return false;
    std::vector<uint8_t> value(size);
    if (!file.bytes(value.data(), size) || !DecodeOptionValue(*field, value, read)) return false;
  }
  options = read;
  return true;
}
