// SPDX-License-Identifier: LGPL-2.1-or-later
// PC Paintbrush reader: 1, 2 and 4 bits in one to four bit planes with the
// header's 16-colour palette, 8 bits with the 256-colour palette behind the
// pixels, 24 bits as three and 32 bits as four planes of 8 bits; raw or RLE.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "codecs/codecs.h"
#include "core/checked_size.h"
#include "core/fixed_bytes.h"
#include "core/progress.h"
#include "core/record_storage.h"
#include "core/source_reader.h"
#include "pcx_format.h"

namespace pixkit {
namespace {

enum class PcxLayout {
  Indexed,  // bits per pixel x planes <= 4, header palette
  Palette256,
  Rgb,   // three planes of 8 bits: red, green, blue
  Rgba,  // four planes of 8 bits: red, green, blue, alpha
};

struct PcxHeader {
  uint8_t manufacturer = 0;                         // pcx::kManufacturer
  uint8_t version = 0;                              // 0, 2, 3, 4 or 5
  uint8_t encoding = 0;                             // 0 raw, 1 RLE
  uint8_t bits_per_pixel = 0;                       // per plane: 1, 2, 4 or 8
  uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;  // inclusive window, max >= min
  uint8_t planes = 0;                               // 1 .. 4
  uint16_t bytes_per_line = 0;                      // per plane, at least the width's bytes
  Rgb header_palette[16];
  // Worked out from the fields above by check_pcx_header.
  int32_t width = 0, height = 0;
  PcxLayout layout = PcxLayout::Indexed;
};

// The fixed header in one checked read; nothing when the file is shorter.
std::optional<PcxHeader> read_pcx_header(ByteSpan file) {
  ByteReader in(file);
  const auto bytes = FixedBytes<pcx::kHeaderSize>::take(in);
  if (!bytes) return std::nullopt;
  PcxHeader h;
  h.manufacturer = bytes->u8<0>();
  h.version = bytes->u8<1>();
  h.encoding = bytes->u8<2>();
  h.bits_per_pixel = bytes->u8<3>();
  h.xmin = bytes->le16<4>();
  h.ymin = bytes->le16<6>();
  h.xmax = bytes->le16<8>();
  h.ymax = bytes->le16<10>();
  // 12..15: resolution in dots per inch, often the screen size instead.
  const auto palette = bytes->span<pcx::kHeaderPaletteOffset, 3 * 16>();
  for (size_t i = 0; i < 16; ++i)
    h.header_palette[i] = Rgb{palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
  // 64: reserved.
  h.planes = bytes->u8<65>();
  h.bytes_per_line = bytes->le16<66>();
  // 68..127: palette interpretation, screen size and padding, unused.
  return h;
}

// Checks every field, then works out the window's size and the layout the
// bits and planes describe.
Status check_pcx_header(PcxHeader& h) {
  if (h.manufacturer != pcx::kManufacturer) return fail("pcx: not a pcx file");
  if (h.version != 0 && h.version != 2 && h.version != 3 && h.version != 4 && h.version != 5)
    return fail("pcx: unknown version");
  if (h.encoding != pcx::kEncodingRaw && h.encoding != pcx::kEncodingRle)
    return fail("pcx: unknown encoding");
  if (h.xmax < h.xmin || h.ymax < h.ymin) return fail("pcx: window ends before it starts");
  h.width = int32_t(h.xmax) - h.xmin + 1;
  h.height = int32_t(h.ymax) - h.ymin + 1;

  const int bpp = h.bits_per_pixel;
  if ((bpp == 1 || bpp == 2 || bpp == 4) && h.planes >= 1 && bpp * h.planes <= 4)
    h.layout = PcxLayout::Indexed;
  else if (bpp == 8 && h.planes == 1)
    h.layout = PcxLayout::Palette256;
  else if (bpp == 8 && h.planes == 3)
    h.layout = PcxLayout::Rgb;
  else if (bpp == 8 && h.planes == 4)
    h.layout = PcxLayout::Rgba;
  else
    return fail("pcx: unsupported bits per pixel and planes");

  // Odd line lengths are against the format's rules but common (netpbm,
  // ImageMagick), so only the lower bound is enforced.
  const uint64_t needed = (uint64_t(h.width) * bpp + 7) / 8;
  if (h.bytes_per_line < needed) return fail("pcx: bytes per line below width");
  return {};
}

// Hands out one scan line (all planes) at a time from raw or RLE data. A run
// may continue from one plane into the next but never past the line.
class PcxLineSource {
 public:
  PcxLineSource(const RangeSource& file, uint64_t begin, uint64_t end, bool rle)
      : in_(file, begin, end), rle_(rle) {}

  Status next_line(uint8_t* line, size_t size) {
    if (!rle_) {
      if (!in_.copy_to(line, size)) return fail("pcx: pixel data truncated");
      return {};
    }
    size_t filled = 0;
    while (filled < size) {
      auto b = in_.u8();
      if (!b) return fail("pcx: pixel data truncated");
      size_t count = 1;
      uint8_t value = *b;
      if ((*b & pcx::kRunFlag) == pcx::kRunFlag) {
        count = *b & pcx::kMaxRun;
        auto v = in_.u8();
        if (!v) return fail("pcx: pixel data truncated");
        value = *v;
      }
      if (count > size - filled) return fail("pcx: run past the end of the scan line");
      std::memset(line + filled, value, count);
      filled += count;
    }
    return {};
  }

 private:
  SourceReader in_;
  bool rle_;
};

// The 256-colour palette at the end of the file: its marker and 768 bytes
// of colour, when the file has them.
std::optional<std::array<uint8_t, pcx::kTrailerSize>> read_palette_trailer(const RangeSource& file) {
  std::array<uint8_t, pcx::kTrailerSize> trailer;
  if (file.size() < pcx::kHeaderSize + pcx::kTrailerSize ||
      !file.read(file.size() - pcx::kTrailerSize, trailer.data(), trailer.size()) ||
      trailer[0] != pcx::kPaletteMarker)
    return std::nullopt;
  return trailer;
}

std::vector<Rgb> indexed_palette(const PcxHeader& h) {
  const size_t colours = size_t(1) << (h.bits_per_pixel * h.planes);
  // Version 3 files carry no palette; old monochrome files leave the header
  // palette zero. Both mean the usual defaults.
  const bool all_same = std::all_of(h.header_palette, h.header_palette + colours,
                                    [&](const Rgb& c) { return c == h.header_palette[0]; });
  if (h.version == 3 || all_same) {
    if (colours == 2) return default_palette(1);
    const std::vector<Rgb>& vga = default_palette(4);
    return std::vector<Rgb>(vga.begin(), vga.begin() + std::ptrdiff_t(colours));
  }
  return std::vector<Rgb>(h.header_palette, h.header_palette + colours);
}

std::vector<Rgb> trailer_palette(const std::optional<std::array<uint8_t, pcx::kTrailerSize>>& trailer) {
  std::vector<Rgb> palette(256);
  if (!trailer) {
    // Without the marker the picture is taken for 256 greys.
    for (int i = 0; i < 256; ++i) palette[size_t(i)] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
    return palette;
  }
  const uint8_t* p = trailer->data() + 1;
  for (Rgb& c : palette) {
    c = Rgb{p[0], p[1], p[2]};
    p += 3;
  }
  return palette;
}

// Combines the planes of pixel x into one index: plane k gives bits
// k * bpp and up.
void unpack_indexed_line(const PcxHeader& h, const uint8_t* line, uint8_t* out) {
  const int bpp = h.bits_per_pixel;
  const int per_byte = 8 / bpp;
  const unsigned mask = (1u << bpp) - 1;
  for (int32_t x = 0; x < h.width; ++x) {
    const size_t byte = size_t(x / per_byte);
    const int shift = 8 - bpp * (x % per_byte + 1);
    unsigned index = 0;
    for (int p = 0; p < h.planes; ++p)
      index |= ((line[size_t(p) * h.bytes_per_line + byte] >> shift) & mask) << (p * bpp);
    out[x] = uint8_t(index);
  }
}

void unpack_colour_line(const PcxHeader& h, const uint8_t* line, uint8_t* out) {
  const uint8_t* red = line;
  const uint8_t* green = line + h.bytes_per_line;
  const uint8_t* blue = line + 2 * size_t(h.bytes_per_line);
  if (h.layout == PcxLayout::Rgb) {
    for (int32_t x = 0; x < h.width; ++x) {
      out[3 * x] = blue[x];
      out[3 * x + 1] = green[x];
      out[3 * x + 2] = red[x];
    }
    return;
  }
  const uint8_t* alpha = line + 3 * size_t(h.bytes_per_line);
  for (int32_t x = 0; x < h.width; ++x) {
    out[4 * x] = blue[x];
    out[4 * x + 1] = green[x];
    out[4 * x + 2] = red[x];
    out[4 * x + 3] = alpha[x];
  }
}

// A fourth plane that is wholly opaque or wholly zero says nothing.
Result<Picture> drop_uninformative_alpha(Picture picture) {
  bool all_opaque = true;
  for (int32_t y = 0; y < picture.height() && all_opaque; ++y) {
    const uint8_t* row = picture.row(y);
    for (int32_t x = 0; x < picture.width(); ++x)
      if (row[4 * x + 3] != 255) {
        all_opaque = false;
        break;
      }
  }
  if (all_opaque)
    for (int32_t y = 0; y < picture.height(); ++y) {
      uint8_t* row = picture.row(y);
      for (int32_t x = 0; x < picture.width(); ++x) row[4 * x + 3] = 0;
    }
  return drop_empty_alpha(std::move(picture));
}

}  // namespace

bool looks_like_pcx(ByteSpan head) {
  const auto h = read_pcx_header(head);
  if (!h) return false;
  const uint8_t version = h->version, bpp = h->bits_per_pixel;
  return h->manufacturer == pcx::kManufacturer && (version == 0 || (version >= 2 && version <= 5)) &&
         h->encoding <= 1 && (bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8) && h->planes >= 1 &&
         h->planes <= 4 && h->xmax >= h->xmin && h->ymax >= h->ymin;
}

Result<Picture> decode_pcx(const RangeSource& file) {
  std::array<uint8_t, pcx::kHeaderSize> head;
  if (!file.read(0, head.data(), head.size())) return fail("pcx: file shorter than its header");
  auto header = read_pcx_header(head);
  if (!header) return fail("pcx: file shorter than its header");
  PIXKIT_TRY(check_pcx_header(*header));
  const PcxHeader& h = *header;

  std::optional<std::array<uint8_t, pcx::kTrailerSize>> trailer;
  if (h.layout == PcxLayout::Palette256) trailer = read_palette_trailer(file);
  const uint64_t data_end = file.size() - (trailer ? pcx::kTrailerSize : 0);
  const uint64_t data_size = data_end - pcx::kHeaderSize;

  // A file far too short for its window is refused before allocating: raw
  // data holds every byte, an RLE byte pair at most 63.
  const uint64_t line_bytes = uint64_t(h.bytes_per_line) * h.planes;
  const auto total = checked_mul(line_bytes, uint64_t(h.height));
  if (!total) return fail_too_large("pcx: picture too large");
  const uint64_t max_expansion = h.encoding == pcx::kEncodingRle ? pcx::kMaxRun : 1;
  if (data_size * max_expansion < *total) return fail("pcx: pixel data truncated");

  int bit_count = 8;
  if (h.layout == PcxLayout::Rgb) bit_count = 24;
  if (h.layout == PcxLayout::Rgba) bit_count = 32;
  auto created = Picture::create(h.width, h.height, bit_count, false);
  if (!created) return created.as_error();
  Picture picture = std::move(created.value());

  std::vector<uint8_t> line(line_bytes);
  PcxLineSource source(file, pcx::kHeaderSize, data_end, h.encoding == pcx::kEncodingRle);
  for (int32_t y = 0; y < h.height; ++y) {
    PIXKIT_TRY(source.next_line(line.data(), line.size()));
    uint8_t* out = picture.row(y);
    switch (h.layout) {
      case PcxLayout::Indexed:
        unpack_indexed_line(h, line.data(), out);
        break;
      case PcxLayout::Palette256:
        std::memcpy(out, line.data(), size_t(h.width));
        break;
      case PcxLayout::Rgb:
      case PcxLayout::Rgba:
        unpack_colour_line(h, line.data(), out);
        break;
    }
    report_progress(uint64_t(y) + 1, uint64_t(h.height));
  }

  switch (h.layout) {
    case PcxLayout::Indexed:
      picture.palette = indexed_palette(h);
      return finish_indexed(std::move(picture));
    case PcxLayout::Palette256:
      picture.palette = trailer_palette(trailer);
      return finish_indexed(std::move(picture));
    case PcxLayout::Rgba:
      return drop_uninformative_alpha(std::move(picture));
    case PcxLayout::Rgb:
      break;
  }
  return picture;
}

}  // namespace pixkit
