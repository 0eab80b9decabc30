// SPDX-License-Identifier: LGPL-2.1-or-later
// TIFF through libtiff: the first directory of the file. Palette, bilevel,
// grey and RGB(A) pictures with plain unsigned samples and CIE L*a*b* are
// converted here; everything else libtiff can read goes through its RGBA
// interface. Every path reads the rows as stored and leaves the turn to the
// orientation tag to turn_upright, the same turn JPEG's EXIF tag gets.
#include <tiffio.h>

#include <algorithm>
#include <optional>

#include "codecs/codecs.h"
#include "codecs/jpeg/jpeg_orientation.h"
#include "core/limits.h"
#include "core/progress.h"
#include "core/source_reader.h"
#include "tiff_lab.h"
#include "tiff_memory_io.h"
#include "tiff_rows.h"

namespace pixkit {
namespace {

constexpr uint32_t kProgressStep = 64;

bool is_alpha(uint16_t kind) { return kind == EXTRASAMPLE_ASSOCALPHA || kind == EXTRASAMPLE_UNASSALPHA; }

uint8_t to_8_bits(uint32_t v, uint16_t bits) {
  switch (bits) {
    case 8:
      return uint8_t(v);
    case 16:
      return uint8_t((v + 128) / 257);
    case 32:
      return uint8_t((uint64_t(v) * 255 + 0x7FFFFFFFu) / 0xFFFFFFFFu);
    default:
      return uint8_t(v * 255 / ((1u << bits) - 1));
  }
}

// Associated (premultiplied) alpha back to straight colour.
uint8_t unpremultiply(unsigned c, unsigned a) {
  if (a == 0) return 0;
  return uint8_t(std::min(255u, (c * 255 + a / 2) / a));
}

void report_row(uint32_t y, uint32_t height) {
  if (y % kProgressStep == 0) report_progress(y, height);
}

Result<Picture> read_palette(TIFF* tif, const TiffLayout& l) {
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
    return fail("tiff: palette picture without colour map");
  const size_t colours = size_t(1) << l.bits;
  // Some old writers stored 8-bit values in the 16-bit colour map.
  bool eight_bit_map = true;
  for (size_t i = 0; i < colours; ++i)
    if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eight_bit_map = false;
  auto scale = [eight_bit_map](uint16_t v) { return eight_bit_map ? uint8_t(v) : to_8_bits(v, 16); };

  auto picture = Picture::create(int32_t(l.width), int32_t(l.height), 8, false);
  if (!picture) return picture.as_error();
  picture->palette.resize(colours);
  for (size_t i = 0; i < colours; ++i)
    picture->palette[i] = Rgb{scale(red[i]), scale(green[i]), scale(blue[i])};

  auto rows = TiffRowSource::create(tif, l);
  if (!rows) return rows.as_error();
  for (uint32_t y = 0; y < l.height; ++y) {
    PIXKIT_TRY(rows->load_row(y));
    const uint8_t* src = rows->plane(0);
    uint8_t* dst = picture->row(int32_t(y));
    for (uint32_t x = 0; x < l.width; ++x) dst[x] = uint8_t(tiff_sample(src, l.bits, x));
    report_row(y, l.height);
  }
  return finish_indexed(std::move(picture.value()));
}

// One bit per pixel without a colour map: handed over at 1 bit with its two
// colours, so min-is-white files keep their look.
Result<Picture> read_bilevel(TIFF* tif, const TiffLayout& l) {
  auto picture = Picture::create(int32_t(l.width), int32_t(l.height), 1, false);
  if (!picture) return picture.as_error();
  const Rgb black{0, 0, 0}, white{255, 255, 255};
  picture->palette = l.photometric == PHOTOMETRIC_MINISWHITE ? std::vector<Rgb>{white, black}
                                                             : std::vector<Rgb>{black, white};
  auto rows = TiffRowSource::create(tif, l);
  if (!rows) return rows.as_error();
  const size_t row_bytes = (size_t(l.width) + 7) / 8;
  const unsigned tail_bits = l.width % 8;
  for (uint32_t y = 0; y < l.height; ++y) {
    PIXKIT_TRY(rows->load_row(y));
    uint8_t* dst = picture->row(int32_t(y));
    std::copy_n(rows->plane(0), row_bytes, dst);
    // Bits past the width are padding; keep them zero.
    if (tail_bits) dst[row_bytes - 1] &= uint8_t(0xFF00 >> tail_bits);
    report_row(y, l.height);
  }
  return picture;
}

// Grey (with an optional alpha sample) and RGB(A): samples widened or
// narrowed to 8 bits, grey repeated into blue, green and red.
Result<Picture> read_direct_colour(TIFF* tif, const TiffLayout& l, bool grey) {
  const uint16_t colour_samples = grey ? 1 : 3;
  const bool alpha = l.samples > colour_samples && is_alpha(l.alpha);
  const bool associated = alpha && l.alpha == EXTRASAMPLE_ASSOCALPHA;
  const bool invert = grey && l.photometric == PHOTOMETRIC_MINISWHITE;
  const bool separate = l.planar == PLANARCONFIG_SEPARATE;
  const int channels = alpha ? 4 : 3;

  auto picture = Picture::create(int32_t(l.width), int32_t(l.height), alpha ? 32 : 24, false);
  if (!picture) return picture.as_error();
  auto rows = TiffRowSource::create(tif, l);
  if (!rows) return rows.as_error();

  auto value = [&](uint16_t s, uint32_t x) -> uint8_t {
    const uint32_t v = separate ? tiff_sample(rows->plane(s), l.bits, x)
                                : tiff_sample(rows->plane(0), l.bits, uint64_t(x) * l.samples + s);
    return to_8_bits(v, l.bits);
  };
  // The common case, 8-bit interleaved RGB(A), needs no per-sample work.
  const bool plain_rgb8 = !grey && !separate && !associated && l.bits == 8;
  for (uint32_t y = 0; y < l.height; ++y) {
    PIXKIT_TRY(rows->load_row(y));
    uint8_t* dst = picture->row(int32_t(y));
    if (plain_rgb8) {
      const uint8_t* src = rows->plane(0);
      for (uint32_t x = 0; x < l.width; ++x, src += l.samples) {
        uint8_t* px = dst + size_t(x) * channels;
        px[0] = src[2];
        px[1] = src[1];
        px[2] = src[0];
        if (alpha) px[3] = src[3];
      }
      report_row(y, l.height);
      continue;
    }
    for (uint32_t x = 0; x < l.width; ++x) {
      uint8_t* px = dst + size_t(x) * channels;
      uint8_t r, g, b;
      if (grey) {
        r = g = b = invert ? uint8_t(255 - value(0, x)) : value(0, x);
      } else {
        r = value(0, x);
        g = value(1, x);
        b = value(2, x);
      }
      if (alpha) {
        const uint8_t a = value(colour_samples, x);
        if (associated) {
          r = unpremultiply(r, a);
          g = unpremultiply(g, a);
          b = unpremultiply(b, a);
        }
        px[3] = a;
      }
      px[0] = b;
      px[1] = g;
      px[2] = r;
    }
    report_row(y, l.height);
  }
  return picture;
}

// Releases what TIFFRGBAImageBegin set up, whichever way the read ends.
struct RgbaImageEnder {
  TIFFRGBAImage* image;
  ~RgbaImageEnder() { TIFFRGBAImageEnd(image); }
};

// libtiff's RGBA interface: YCbCr, CMYK, odd bit depths and everything else
// it knows. It hands over premultiplied alpha. Its own handling of the
// orientation tag only flips (it never transposes), so it is told the rows
// are stored top-left and the caller turns the picture.
Result<Picture> read_through_rgba(TIFF* tif, const TiffLayout& l) {
  char message[1024];
  TIFFRGBAImage image{};
  if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&image, tif, 1, message))
    return fail("tiff: photometric or sample layout not supported");
  RgbaImageEnder ender{&image};
  image.orientation = ORIENTATION_TOPLEFT;
  // Bottom-left matches the bottom-up rows.
  image.req_orientation = ORIENTATION_BOTLEFT;
  auto raster = Picture::create(int32_t(l.width), int32_t(l.height), 32, false);
  if (!raster) return raster.as_error();
  // 32-bit rows have no padding, so the picture is exactly the raster
  // libtiff wants.
  if (!TIFFRGBAImageGet(&image, reinterpret_cast<uint32_t*>(raster->bits()), l.width, l.height))
    return fail("tiff: picture data damaged");
  report_progress(l.height / 2, l.height);
  const bool alpha = l.extra_samples > 0 && is_alpha(l.alpha);
  if (alpha) {
    for (uint32_t y = 0; y < l.height; ++y) {
      uint8_t* row = raster->row(int32_t(y));
      for (uint32_t x = 0; x < l.width; ++x) {
        uint8_t* px = row + 4 * size_t(x);  // R, G, B, A in memory order
        const uint8_t a = px[3];
        const uint8_t r = unpremultiply(px[0], a), g = unpremultiply(px[1], a), b = unpremultiply(px[2], a);
        px[0] = b;
        px[1] = g;
        px[2] = r;
      }
    }
    return raster;
  }
  auto picture = Picture::create(int32_t(l.width), int32_t(l.height), 24, false);
  if (!picture) return picture.as_error();
  for (uint32_t y = 0; y < l.height; ++y) {
    const uint8_t* src = raster->row(int32_t(y));
    uint8_t* dst = picture->row(int32_t(y));
    for (uint32_t x = 0; x < l.width; ++x) {
      dst[3 * x] = src[4 * x + 2];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x];
    }
  }
  return picture;
}

// The resolution, kept so that a save of the same record writes it again.
void read_resolution(TIFF* tif, Metadata& metadata) {
  float x = 0, y = 0;
  uint16_t unit = RESUNIT_INCH;
  if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) || !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y)) return;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  const double per_metre = unit == RESUNIT_CENTIMETER ? 100.0 : unit == RESUNIT_INCH ? 100.0 / 2.54 : 0.0;
  // Only plausible values: 1 to 1,000,000 dots per metre.
  const double xm = x * per_metre, ym = y * per_metre;
  if (!(xm >= 1 && xm <= 1e6 && ym >= 1 && ym <= 1e6)) return;
  metadata.x_pixels_per_meter = int32_t(xm + 0.5);
  metadata.y_pixels_per_meter = int32_t(ym + 0.5);
}

// The ICC profile (tag 34675), kept only where it still describes the
// values the picture holds: RGB, YCbCr (libtiff hands it over as RGB) and
// palette files with an RGB profile. Grey, CMYK and L*a*b* files are turned
// into RGB on the way in, so their profile would mislabel the result.
void read_icc_profile(TIFF* tif, Metadata& metadata) {
  constexpr uint32_t kIccHeaderSize = 128;
  constexpr uint32_t kColourSpaceAt = 16;
  uint16_t photometric = 0;
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) ||
      (photometric != PHOTOMETRIC_RGB && photometric != PHOTOMETRIC_YCBCR &&
       photometric != PHOTOMETRIC_PALETTE))
    return;
  uint32_t size = 0;
  const uint8_t* profile = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_ICCPROFILE, &size, &profile) || !profile || size < kIccHeaderSize) return;
  static constexpr uint8_t kRgbSpace[4] = {'R', 'G', 'B', ' '};
  if (!std::equal(kRgbSpace, kRgbSpace + 4, profile + kColourSpaceAt)) return;
  metadata.icc.assign(profile, profile + size);
}

Result<Picture> read_pixels(TIFF* tif) {
  auto layout = read_tiff_layout(tif);
  if (!layout) return layout.as_error();
  const TiffLayout& l = layout.value();
  PIXKIT_TRY(check_dimensions(l.width, l.height));

  const bool plain = l.sample_format == SAMPLEFORMAT_UINT &&
                     (l.planar == PLANARCONFIG_CONTIG || l.planar == PLANARCONFIG_SEPARATE);
  const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
  if (plain && l.photometric == PHOTOMETRIC_PALETTE && l.samples == 1 &&
      (l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8))
    return read_palette(tif, l);
  if (plain && grey && l.bits == 1 && l.samples == 1) return read_bilevel(tif, l);
  if (plain && grey && (l.bits == 2 || l.bits == 4 || l.bits == 8 || l.bits == 16 || l.bits == 32))
    return read_direct_colour(tif, l, true);
  // Signed 32-bit grey: ImageMagick and netpbm both show the samples by
  // their bit pattern, as if they were unsigned (-1 white, the most
  // negative value mid grey), and a picture should look here as it looks
  // there.
  if (l.sample_format == SAMPLEFORMAT_INT && grey && l.bits == 32 &&
      (l.planar == PLANARCONFIG_CONTIG || l.planar == PLANARCONFIG_SEPARATE))
    return read_direct_colour(tif, l, true);
  if (plain && l.photometric == PHOTOMETRIC_RGB && l.samples >= 3 &&
      (l.bits == 8 || l.bits == 16 || l.bits == 32))
    return read_direct_colour(tif, l, false);
  if ((l.photometric == PHOTOMETRIC_CIELAB || l.photometric == PHOTOMETRIC_ICCLAB) &&
      (l.bits == 8 || l.bits == 16) && l.planar == PLANARCONFIG_CONTIG &&
      (l.samples == 1 || l.samples >= 3)) {
    auto rows = TiffRowSource::create(tif, l);
    if (!rows) return rows.as_error();
    return read_cie_lab(*rows, l);
  }
  return read_through_rgba(tif, l);
}

// How many values the first directory's entry for tag holds, as the file
// says; libtiff trims a count that disagrees with its own reckoning and
// keeps that to itself.
std::optional<uint64_t> stored_value_count(TIFF* tif, const RangeSource& file, uint16_t tag) {
  const bool big_endian = TIFFIsBigEndian(tif) != 0, big_tiff = TIFFIsBigTIFF(tif) != 0;
  SourceReader r(file);
  auto u16 = [&]() { return big_endian ? r.be16() : r.le16(); };
  auto u32 = [&]() { return big_endian ? r.be32() : r.le32(); };
  auto u64 = [&]() -> std::optional<uint64_t> {
    auto a = u32(), b = u32();
    if (!a || !b) return std::nullopt;
    return big_endian ? (uint64_t(*a) << 32 | *b) : (uint64_t(*b) << 32 | *a);
  };
  const uint64_t directory = TIFFCurrentDirOffset(tif);
  if (!r.seek(directory)) return std::nullopt;
  auto entries = big_tiff ? u64() : std::optional<uint64_t>(u16());
  if (!entries) return std::nullopt;
  for (uint64_t i = 0; i < *entries; ++i) {
    auto entry_tag = u16(), type = u16();
    auto count = big_tiff ? u64() : std::optional<uint64_t>(u32());
    if (!entry_tag || !type || !count || !r.skip(big_tiff ? 8 : 4)) return std::nullopt;
    if (*entry_tag == tag) return count;
  }
  return std::nullopt;
}

// RowsPerStrip past the height means one strip per plane. A file that
// nevertheless lists several strips was written with another strip height
// than it states; libtiff would keep the first strip and stretch its byte
// count over the picture, which reads the rest of the file as pixels.
Status check_rows_per_strip(TIFF* tif, const RangeSource& file) {
  if (TIFFIsTiled(tif)) return {};
  uint32_t rows_per_strip = 0, height = 0;
  if (!TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rows_per_strip) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) || rows_per_strip <= height)
    return {};
  const auto listed = stored_value_count(tif, file, TIFFTAG_STRIPOFFSETS);
  if (!listed || *listed != uint64_t(TIFFNumberOfStrips(tif)))
    return fail("tiff: strips listed do not match rows per strip");
  return {};
}

Result<Picture> read_first_directory(TIFF* tif, const RangeSource& file) {
  PIXKIT_TRY(check_rows_per_strip(tif, file));
  auto picture = read_pixels(tif);
  if (!picture) return picture;
  read_resolution(tif, picture->metadata);
  read_icc_profile(tif, picture->metadata);
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  return turn_upright(std::move(picture.value()), orientation);
}

}  // namespace

Result<Picture> decode_tiff(const RangeSource& file) {
  TiffMemoryFile memory;
  memory.input = &file;
  TiffCloser tif{open_tiff_in_memory(memory, "r")};
  if (!tif.tif) return fail("tiff: not a readable TIFF file");
  return read_first_directory(tif.tif, file);
}

}  // namespace pixkit
