// Header reading and checking for Truevision files, and the plausibility
// test that stands in for the magic number the format does not have.
#include <cstring>

#include "codecs.h"
#include "tga_format.h"

namespace pixkit::tga {
namespace {

bool valid_map_entry_bits(uint8_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

bool read_header(ByteSpan file, Header& h) {
  ByteReader in(file);
  if (in.remaining() < kHeaderSize) return false;
  h.id_length = *in.u8();
  h.colour_map_type = *in.u8();
  h.image_type = *in.u8();
  h.map_first = *in.le16();
  h.map_length = *in.le16();
  h.map_entry_bits = *in.u8();
  in.skip(4);  // x and y origin on the screen, unused
  h.width = *in.le16();
  h.height = *in.le16();
  h.pixel_depth = *in.u8();
  h.descriptor = *in.u8();
  return true;
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

bool looks_like_tga(ByteSpan file) {
  tga::Header h;
  if (!tga::read_header(file, h) || !tga::check_header(h).ok()) return false;
  // The ID and the map must at least fit in the file.
  const uint64_t map_bytes = h.colour_map_type ? uint64_t(h.map_length) * h.map_entry_bytes() : 0;
  if (tga::kHeaderSize + h.id_length + map_bytes >= file.size()) return false;
  if (file.size() >= tga::kHeaderSize + tga::kFooterSize) {
    const uint8_t* footer = file.data() + file.size() - sizeof tga::kFooterSignature;
    if (std::memcmp(footer, tga::kFooterSignature, sizeof tga::kFooterSignature) == 0) return true;
  }
  // Without the version 2 footer the map fields of a file without a map must
  // be empty too; writers disagree only about the entry size.
  if (h.colour_map_type == 0 && (h.map_first != 0 || h.map_length != 0)) return false;
  return h.colour_map_type == 1 || h.map_entry_bits == 0 || h.map_entry_bits == 15 ||
         h.map_entry_bits == 16 || h.map_entry_bits == 24 || h.map_entry_bits == 32;
}

}  // namespace pixkit
