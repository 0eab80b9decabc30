// SPDX-License-Identifier: LGPL-2.1-or-later
// Header reading and checking for Truevision files, and the plausibility
// test that stands in for the magic number the format does not have.
#include <cstring>

#include "codecs/codecs.h"
#include "core/fixed_bytes.h"
#include "core/source_reader.h"
#include "tga_format.h"

namespace pixkit::tga {
namespace {

bool valid_map_entry_bits(uint8_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

std::optional<Header> read_header(SourceReader& in) {
  const auto bytes = FixedBytes<kHeaderSize>::take(in);
  if (!bytes) return std::nullopt;
  Header h;
  h.id_length = bytes->u8<0>();
  h.colour_map_type = bytes->u8<1>();
  h.image_type = bytes->u8<2>();
  h.map_first = bytes->le16<3>();
  h.map_length = bytes->le16<5>();
  h.map_entry_bits = bytes->u8<7>();
  // 8..11: x and y origin on the screen, unused.
  h.width = bytes->le16<12>();
  h.height = bytes->le16<14>();
  h.pixel_depth = bytes->u8<16>();
  h.descriptor = bytes->u8<17>();
  return h;
}

Status check_header(const Header& h) {
  if (h.colour_map_type > 1) return fail("tga: unknown colour map type");
  switch (h.image_type) {
    case kColourMapped:
    case kColourMappedRle:
      if (h.colour_map_type != 1) return fail("tga: colour-mapped picture without a colour map");
      if (h.map_length == 0) return fail("tga: empty colour map");
      if (h.pixel_depth != 8) return fail("tga: unsupported colour index depth");
      break;
    case kTrueColour:
    case kTrueColourRle:
      if (h.pixel_depth != 15 && h.pixel_depth != 16 && h.pixel_depth != 24 && h.pixel_depth != 32)
        return fail("tga: unsupported true-colour depth");
      break;
    case kGrey:
    case kGreyRle:
      if (h.pixel_depth != 8) return fail("tga: unsupported grey depth");
      break;
    default:
      return fail("tga: unknown image type");
  }
  // A map is skipped even where the pixels do not use it, so its entry size
  // must be known.
  if (h.colour_map_type == 1 && !valid_map_entry_bits(h.map_entry_bits))
    return fail("tga: unsupported colour map entry size");
  if (h.width == 0 || h.height == 0) return fail("tga: picture has no pixels");
  if (h.descriptor & kInterleaveMask) return fail("tga: interleaved rows not supported");
  if ((h.descriptor & kAttributeBitsMask) > 8) return fail("tga: too many attribute bits");
  return {};
}

}  // namespace pixkit::tga

namespace pixkit {

bool looks_like_tga(const RangeSource& file) {
  SourceReader in(file, 0, tga::kHeaderSize);
  const auto header = tga::read_header(in);
  if (!header || !tga::check_header(*header).ok()) return false;
  const tga::Header& h = *header;
  // The ID and the map must at least fit in the file.
  const uint64_t map_bytes = h.colour_map_type ? uint64_t(h.map_length) * h.map_entry_bytes() : 0;
  if (tga::kHeaderSize + h.id_length + map_bytes >= file.size()) return false;
  uint8_t footer[sizeof tga::kFooterSignature];
  if (file.size() >= tga::kHeaderSize + tga::kFooterSize &&
      file.read(file.size() - sizeof footer, footer, sizeof footer) &&
      std::memcmp(footer, tga::kFooterSignature, sizeof footer) == 0)
    return true;
  // Without the version 2 footer the map fields of a file without a map must
  // be empty too; writers disagree only about the entry size.
  if (h.colour_map_type == 0 && (h.map_first != 0 || h.map_length != 0)) return false;
  return h.colour_map_type == 1 || h.map_entry_bits == 0 || h.map_entry_bits == 15 ||
         h.map_entry_bits == 16 || h.map_entry_bits == 24 || h.map_entry_bits == 32;
}

}  // namespace pixkit
