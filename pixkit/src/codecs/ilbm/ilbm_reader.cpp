// SPDX-License-Identifier: LGPL-2.1-or-later
// IFF ILBM and its chunky sibling FORM PBM: walks the chunks of the FORM,
// checks the bitmap header, then decodes the BODY row by row into palette
// indices (1..8 planes), hold-and-modify colours (HAM) or deep RGB(A).
#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/codecs.h"
#include "core/checked_size.h"
#include "core/fixed_bytes.h"
#include "core/limits.h"
#include "core/progress.h"
#include "core/source_reader.h"
#include "ilbm_byte_run.h"
#include "ilbm_format.h"

namespace pixkit {
namespace {

struct IlbmChunks {
  bool chunky = false;  // FORM PBM: one byte per pixel instead of bit planes
  bool has_bmhd = false;
  Bmhd bmhd;
  bool has_cmap = false;
  std::vector<uint8_t> cmap;  // the part of the chunk that can hold colours
  uint32_t camg = 0;          // Amiga display mode; only the HAM and EHB bits matter
  uint64_t body_offset = 0;   // in the file
  uint64_t body_size = 0;
};

// A CMAP holds 3 bytes per colour, and no more than 256 colours are used.
constexpr size_t kMaxCmapBytes = 3 * 256;

// The fixed part of BMHD in one checked read.
Result<Bmhd> read_bmhd_chunk(ByteSpan chunk) {
  ByteReader in(chunk);
  const auto bytes = FixedBytes<kBmhdSize>::take(in);
  if (!bytes) return fail("ilbm: BMHD chunk too short");
  Bmhd h;
  h.width = bytes->be16<0>();
  h.height = bytes->be16<2>();
  // 4..7: x, y: position on the screen, irrelevant for a file.
  h.planes = bytes->u8<8>();
  h.masking = bytes->u8<9>();
  h.compression = bytes->u8<10>();
  h.flags = bytes->u8<11>();
  // 12..19: transparent colour, pixel aspect and page size, unused.
  return h;
}

// Every header field against the values a decoder can honour.
Status validate_bmhd(const Bmhd& h, bool chunky) {
  if (h.width == 0 || h.height == 0) return fail("ilbm: zero width or height");
  PIXKIT_TRY(check_dimensions(h.width, h.height));
  if (chunky) {
    if (h.planes != 8) return fail("ilbm: PBM needs 8 planes");
  } else if (!((h.planes >= 1 && h.planes <= 8) || h.planes == 24 || h.planes == 32)) {
    return fail("ilbm: unsupported number of planes");
  }
  if (h.masking > kMaskLasso) return fail("ilbm: unknown masking");
  if (h.compression > kCompressByteRun1) return fail("ilbm: unknown compression");
  return {};
}

// Walks the chunks of the FORM up to BODY. Chunk lengths are checked against
// the FORM, and the FORM against the file; bytes after the FORM are ignored.
// Only the BODY's place is noted; the other chunks are read as far as their
// fields go, and skipped where they go on.
Result<IlbmChunks> read_chunks(const RangeSource& file) {
  SourceReader in(file, 0, kFormHeaderSize);
  const auto form = FixedBytes<kFormHeaderSize>::take(in);
  if (!form || form->be32<0>() != kIdForm) return fail("ilbm: not an IFF FORM");
  const uint32_t form_size = form->be32<4>();  // the form type and the chunks
  const uint32_t form_type = form->be32<8>();
  IlbmChunks chunks;
  if (form_type == kIdPbm)
    chunks.chunky = true;
  else if (form_type != kIdIlbm)
    return fail("ilbm: FORM is neither ILBM nor PBM");
  if (form_size < 4) return fail("ilbm: FORM too short");
  if (form_size > file.size() - 8) return fail("ilbm: FORM longer than the file");
  SourceReader form_in(file, kFormHeaderSize, uint64_t(kFormHeaderSize) + form_size - 4);

  while (const auto chunk_header = FixedBytes<kChunkHeaderSize>::take(form_in)) {
    const uint32_t id = chunk_header->be32<0>();
    const uint32_t length = chunk_header->be32<4>();
    if (length > form_in.remaining()) return fail("ilbm: chunk longer than the FORM");
    const uint64_t data_at = form_in.position();
    // The first bytes of the chunk, as many as the fields that are read
    // from it need.
    auto start_of_chunk = [&](size_t most) { return form_in.bytes(std::min<size_t>(length, most)); };

    if (id == kIdBmhd) {
      if (chunks.has_bmhd) return fail("ilbm: second BMHD chunk");
      auto data = start_of_chunk(kBmhdSize);
      if (!data) return fail("ilbm: chunk longer than the FORM");
      auto bmhd = read_bmhd_chunk(*data);
      if (!bmhd) return bmhd.as_error();
      PIXKIT_TRY(validate_bmhd(*bmhd, chunks.chunky));
      chunks.bmhd = *bmhd;
      chunks.has_bmhd = true;
    } else if (id == kIdCmap) {
      auto data = start_of_chunk(kMaxCmapBytes);
      if (!data) return fail("ilbm: chunk longer than the FORM");
      chunks.has_cmap = true;
      chunks.cmap.assign(data->begin(), data->end());
    } else if (id == kIdCamg) {
      auto data = start_of_chunk(4);
      const auto mode = data ? ByteReader(*data).be32() : std::nullopt;
      if (!mode) return fail("ilbm: CAMG chunk too short");
      chunks.camg = *mode;
    } else if (id == kIdBody) {
      if (!chunks.has_bmhd) return fail("ilbm: BODY before BMHD");
      chunks.body_offset = kFormHeaderSize + data_at;
      chunks.body_size = length;
      return chunks;
    }
    // Anything else (GRAB, DPPS, CRNG, ANNO, ...) carries nothing we show.
    if (!form_in.seek(data_at + length)) return fail("ilbm: chunk longer than the FORM");
    // Chunks start on even offsets; the pad byte after the last chunk of a
    // FORM is sometimes missing, which does no harm.
    if (length & 1) form_in.skip(1);
  }
  if (!chunks.has_bmhd) return fail("ilbm: no BMHD chunk");
  return fail("ilbm: no BODY chunk");
}

// The colour map, at most 256 entries. Old files kept 4-bit colours in the
// high nibble; when the header does not vouch for 8-bit values and every low
// nibble is zero, the nibble is repeated so that 0xF0 becomes full 0xFF.
std::vector<Rgb> read_cmap_chunk(ByteSpan cmap, const Bmhd& bmhd) {
  const size_t entries = std::min<size_t>(cmap.size() / 3, 256);
  std::vector<Rgb> palette(entries);
  bool all_low_nibbles_zero = true;
  bool any_nonzero = false;
  for (size_t i = 0; i < entries; ++i) {
    palette[i] = Rgb{cmap[3 * i], cmap[3 * i + 1], cmap[3 * i + 2]};
    for (uint8_t v : {palette[i].r, palette[i].g, palette[i].b}) {
      if (v & 0x0F) all_low_nibbles_zero = false;
      if (v) any_nonzero = true;
    }
  }
  if (!(bmhd.flags & kBmhdFlagCmapIs8Bit) && all_low_nibbles_zero && any_nonzero)
    for (Rgb& c : palette) c = Rgb{uint8_t(c.r | c.r >> 4), uint8_t(c.g | c.g >> 4), uint8_t(c.b | c.b >> 4)};
  return palette;
}

std::vector<Rgb> grey_ramp(int bits) {
  const int n = 1 << bits;
  std::vector<Rgb> ramp(size_t(n), Rgb{});
  for (int i = 0; i < n; ++i) {
    const uint8_t v = uint8_t(n > 1 ? i * 255 / (n - 1) : 0);
    ramp[size_t(i)] = Rgb{v, v, v};
  }
  return ramp;
}

// The palette of a picture of up to 8 planes (or the base colours of HAM).
std::vector<Rgb> build_palette(const IlbmChunks& chunks, int index_bits, bool extra_half_brite) {
  std::vector<Rgb> palette =
      chunks.has_cmap ? read_cmap_chunk(chunks.cmap, chunks.bmhd) : grey_ramp(index_bits);
  if (extra_half_brite) {
    // Colours 32..63 are colours 0..31 at half brightness; registers the
    // CMAP leaves out are black, as on the machine that defined the mode.
    palette.resize(64);
    for (size_t i = 0; i < 32; ++i)
      palette[32 + i] =
          Rgb{uint8_t(palette[i].r >> 1), uint8_t(palette[i].g >> 1), uint8_t(palette[i].b >> 1)};
  }
  // Entries beyond what the planes can address would only inflate the bit
  // count handed over.
  if (palette.size() > (size_t(1) << index_bits)) palette.resize(size_t(1) << index_bits);
  return palette;
}

// Hands out the BODY one row (all planes and the mask plane) at a time.
class BodyRows {
 public:
  BodyRows(const RangeSource& file, const IlbmChunks& chunks, size_t row_size)
      : in_(file, chunks.body_offset, chunks.body_offset + chunks.body_size),
        packed_(chunks.bmhd.compression == kCompressByteRun1),
        row_(row_size) {}

  Result<const uint8_t*> next() {
    if (packed_) {
      PIXKIT_TRY(unpack_byte_run1(in_, row_.data(), row_.size()));
    } else if (!in_.copy_to(row_.data(), row_.size())) {
      return fail("ilbm: BODY ends inside a row");
    }
    return static_cast<const uint8_t*>(row_.data());
  }

 private:
  SourceReader in_;
  bool packed_;
  std::vector<uint8_t> row_;
};

// Collects bit x of every plane into one value per pixel, plane 0 being the
// lowest bit.
void gather_planes(const uint8_t* row, size_t plane_bytes, int planes, int32_t width, uint32_t* values) {
  std::fill(values, values + width, 0u);
  for (int p = 0; p < planes; ++p) {
    const uint8_t* plane = row + size_t(p) * plane_bytes;
    const uint32_t bit = uint32_t(1) << p;
    for (int32_t x = 0; x < width; ++x)
      if (plane[x >> 3] & (0x80 >> (x & 7))) values[x] |= bit;
  }
}

enum class Kind { Indexed, Ham, Deep };

struct Layout {
  Kind kind = Kind::Indexed;
  int planes = 0;          // colour planes, without the mask plane
  size_t plane_bytes = 0;  // bytes of one plane row, always even
  size_t row_size = 0;     // bytes of one whole row in the BODY
};

Result<Layout> plan_layout(const IlbmChunks& chunks) {
  const Bmhd& h = chunks.bmhd;
  Layout layout;
  layout.planes = h.planes;
  const bool has_mask_plane = h.masking == kMaskHasMask;
  if (chunks.chunky) {
    // Chunky rows are padded to an even length; a mask plane follows.
    layout.plane_bytes = (size_t(h.width) + 15) / 16 * 2;
    layout.row_size = (size_t(h.width) + 1) / 2 * 2 + (has_mask_plane ? layout.plane_bytes : 0);
    return layout;
  }
  layout.plane_bytes = (size_t(h.width) + 15) / 16 * 2;
  auto row = checked_mul(layout.plane_bytes, uint64_t(h.planes) + (has_mask_plane ? 1 : 0));
  if (!row) return fail_too_large("ilbm: row too long");
  layout.row_size = size_t(*row);
  if (h.planes > 8) {
    layout.kind = Kind::Deep;
  } else if (chunks.camg & kCamgHam) {
    // HAM needs two control planes and at least one colour plane.
    if (h.planes < 3) return fail("ilbm: HAM with fewer than 3 planes");
    layout.kind = Kind::Ham;
  }
  return layout;
}

// A cheap bound before allocating: uncompressed rows need their full size,
// and ByteRun1 needs at least two bytes per 128 bytes of output.
Status check_body_size(const IlbmChunks& chunks, const Layout& layout) {
  const uint64_t per_row =
      chunks.bmhd.compression == kCompressByteRun1 ? (layout.row_size + 127) / 128 * 2 : layout.row_size;
  auto needed = checked_mul(per_row, chunks.bmhd.height);
  if (!needed || *needed > chunks.body_size) return fail("ilbm: BODY too short for the picture");
  return {};
}

Result<Picture> decode_indexed(const RangeSource& file, const IlbmChunks& chunks, const Layout& layout) {
  const Bmhd& h = chunks.bmhd;
  const bool ehb = !chunks.chunky && (chunks.camg & kCamgExtraHalfBrite) && h.planes == 6;
  auto picture = Picture::create(h.width, h.height, 8, false);
  if (!picture) return picture.as_error();
  picture->palette = build_palette(chunks, h.planes, ehb);
  BodyRows rows(file, chunks, layout.row_size);
  std::vector<uint32_t> values(h.width);
  for (int32_t y = 0; y < h.height; ++y) {
    auto row = rows.next();
    if (!row) return row.as_error();
    uint8_t* out = picture->row(y);
    if (chunks.chunky) {
      std::memcpy(out, *row, h.width);
    } else {
      gather_planes(*row, layout.plane_bytes, layout.planes, h.width, values.data());
      for (int32_t x = 0; x < h.width; ++x) out[x] = uint8_t(values[size_t(x)]);
    }
    report_progress(uint64_t(y) + 1, h.height);
  }
  return finish_indexed(std::move(picture.value()));
}

// Hold and modify: the two top planes choose between a palette colour and
// changing one component of the pixel to the left. The new bits replace the
// top of the component and its low bits stay, as the display hardware does.
Result<Picture> decode_ham(const RangeSource& file, const IlbmChunks& chunks, const Layout& layout) {
  const Bmhd& h = chunks.bmhd;
  const int colour_bits = layout.planes - 2;
  const int shift = 8 - colour_bits;
  const uint32_t value_mask = (uint32_t(1) << colour_bits) - 1;
  const uint8_t keep_mask = uint8_t((1 << shift) - 1);
  const std::vector<Rgb> palette = build_palette(chunks, colour_bits, false);
  auto picture = Picture::create(h.width, h.height, 24, false);
  if (!picture) return picture.as_error();
  BodyRows rows(file, chunks, layout.row_size);
  std::vector<uint32_t> values(h.width);
  for (int32_t y = 0; y < h.height; ++y) {
    auto row = rows.next();
    if (!row) return row.as_error();
    gather_planes(*row, layout.plane_bytes, layout.planes, h.width, values.data());
    // Each row starts from the border colour, palette entry 0.
    Rgb colour = palette.empty() ? Rgb{} : palette[0];
    uint8_t* out = picture->row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      const uint32_t v = values[size_t(x)] & value_mask;
      const uint8_t modified = uint8_t(v << shift);
      switch (values[size_t(x)] >> colour_bits) {
        case 0:
          if (v >= palette.size()) return fail("ilbm: HAM colour index beyond the palette");
          colour = palette[v];
          break;
        case 1:
          colour.b = uint8_t((colour.b & keep_mask) | modified);
          break;
        case 2:
          colour.r = uint8_t((colour.r & keep_mask) | modified);
          break;
        default:
          colour.g = uint8_t((colour.g & keep_mask) | modified);
          break;
      }
      out[3 * x] = colour.b;
      out[3 * x + 1] = colour.g;
      out[3 * x + 2] = colour.r;
    }
    report_progress(uint64_t(y) + 1, h.height);
  }
  return picture;
}

// Deep ILBM: planes R0..R7, G0..G7, B0..B7 and, with 32 planes, A0..A7.
Result<Picture> decode_deep(const RangeSource& file, const IlbmChunks& chunks, const Layout& layout) {
  const Bmhd& h = chunks.bmhd;
  const bool has_alpha = layout.planes == 32;
  auto picture = Picture::create(h.width, h.height, has_alpha ? 32 : 24, false);
  if (!picture) return picture.as_error();
  BodyRows rows(file, chunks, layout.row_size);
  std::vector<uint32_t> values(h.width);
  bool alpha_all_zero = true, alpha_all_opaque = true;
  for (int32_t y = 0; y < h.height; ++y) {
    auto row = rows.next();
    if (!row) return row.as_error();
    gather_planes(*row, layout.plane_bytes, layout.planes, h.width, values.data());
    uint8_t* out = picture->row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      const uint32_t v = values[size_t(x)];
      if (has_alpha) {
        const uint8_t a = uint8_t(v >> 24);
        out[4 * x] = uint8_t(v >> 16);
        out[4 * x + 1] = uint8_t(v >> 8);
        out[4 * x + 2] = uint8_t(v);
        out[4 * x + 3] = a;
        alpha_all_zero &= a == 0;
        alpha_all_opaque &= a == 255;
      } else {
        out[3 * x] = uint8_t(v >> 16);
        out[3 * x + 1] = uint8_t(v >> 8);
        out[3 * x + 2] = uint8_t(v);
      }
    }
    report_progress(uint64_t(y) + 1, h.height);
  }
  if (!has_alpha) return picture;
  // Alpha planes that say nothing (all clear or all opaque) are no alpha.
  if (alpha_all_opaque)
    for (int32_t y = 0; y < h.height; ++y) {
      uint8_t* out = picture->row(y);
      for (int32_t x = 0; x < h.width; ++x) out[4 * x + 3] = 0;
    }
  if (alpha_all_zero || alpha_all_opaque) return drop_empty_alpha(std::move(picture.value()));
  return picture;
}

}  // namespace

Result<Picture> decode_ilbm(const RangeSource& file) {
  auto chunks = read_chunks(file);
  if (!chunks) return chunks.as_error();
  auto layout = plan_layout(*chunks);
  if (!layout) return layout.as_error();
  PIXKIT_TRY(check_body_size(*chunks, *layout));
  switch (layout->kind) {
    case Kind::Indexed:
      return decode_indexed(file, *chunks, *layout);
    case Kind::Ham:
      return decode_ham(file, *chunks, *layout);
    case Kind::Deep:
      break;
  }
  return decode_deep(file, *chunks, *layout);
}

}  // namespace pixkit
