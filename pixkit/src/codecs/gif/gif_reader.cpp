// SPDX-License-Identifier: LGPL-2.1-or-later
// GIF through giflib: the first image of the file, record by record (never
// DGifSlurp, which would decode every frame of an animation and allocate
// each frame's size unchecked).
//
// Canvas: a first image that lies inside a logical screen of acceptable
// size is placed at its offset on a canvas of the screen's size filled
// with the background index, the way viewers show it. A screen the image
// does not fit in, or one over the size limits, is taken as inconsistent
// and the image alone is handed over.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "codecs/codecs.h"
#include "core/limits.h"
#include "core/progress.h"
#include "core/source_reader.h"
#include "gif_lzw.h"

namespace pixkit {
namespace {

int read_from_source(GifFileType* gif, GifByteType* out, int count) {
  auto* in = static_cast<SourceReader*>(gif->UserData);
  if (count <= 0) return 0;
  const size_t n = size_t(std::min<uint64_t>(uint64_t(count), in->remaining()));
  if (!in->copy_to(out, n)) return 0;
  return int(n);  // giflib treats a short read as truncation
}

struct GifCloser {
  GifFileType* gif;
  ~GifCloser() {
    int error = 0;
    if (gif) DGifCloseFile(gif, &error);
  }
};

// The palette of the first image: its local map, else the global one. A
// file with neither gets a grey ramp so the indices still mean something.
std::vector<Rgb> palette_of(const GifFileType* gif) {
  const ColorMapObject* map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
  std::vector<Rgb> palette;
  if (!map || !map->Colors || map->ColorCount <= 0) {
    palette.resize(256);
    for (int i = 0; i < 256; ++i) palette[size_t(i)] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
    return palette;
  }
  // giflib reads 2^BitsPerPixel entries; pad in case a map claims fewer.
  const int entries = std::max(1 << std::clamp(map->BitsPerPixel, 1, 8), std::min(map->ColorCount, 256));
  palette.resize(size_t(entries));
  for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
    palette[size_t(i)] = Rgb{map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
  return palette;
}

Status skip_extension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return fail("gif: extension damaged");
  while (block) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return fail("gif: extension damaged");
  }
  return {};
}

// The minimum code size giflib has just read and refused, when it is one
// our own decoder takes (9 to 11); 0 otherwise. giflib reads the size byte
// last, straight from our reader, so it is the byte before the reader's
// place and the image data follows it.
int refused_wide_code_size(const GifFileType* gif, SourceReader& in) {
  if (gif->Error != D_GIF_ERR_READ_FAILED || in.position() == 0) return 0;
  const uint64_t after = in.position();
  if (!in.seek(after - 1)) return 0;
  const auto size = in.u8();
  if (!size || *size < kGifSmallestWideCodeSize || *size > kGifLargestCodeSize) return 0;
  return *size;
}

// Moves to the first image's data. Returns the minimum code size when our
// own decoder has to read it, 0 when giflib does.
Result<int> find_first_image(GifFileType* gif, SourceReader& in) {
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return fail("gif: file damaged or truncated");
    switch (record) {
      case IMAGE_DESC_RECORD_TYPE:
        if (DGifGetImageDesc(gif) == GIF_ERROR) {
          if (const int code_size = refused_wide_code_size(gif, in)) return code_size;
          return fail("gif: image descriptor damaged");
        }
        return 0;
      case EXTENSION_RECORD_TYPE:
        PIXKIT_TRY(skip_extension(gif));
        break;
      case TERMINATE_RECORD_TYPE:
        return fail("gif: no image in the file");
      default:
        return fail("gif: unknown record");
    }
  }
}

Result<Picture> decode_first_image(GifFileType* gif, SourceReader& in) {
  auto wide_code_size = find_first_image(gif, in);
  if (!wide_code_size) return wide_code_size.as_error();
  std::unique_ptr<GifLzwDecoder> own_decoder;
  if (*wide_code_size != 0) own_decoder = std::make_unique<GifLzwDecoder>(in, *wide_code_size);
  const GifImageDesc& frame = gif->Image;
  PIXKIT_TRY(check_dimensions(frame.Width, frame.Height));

  const int64_t right = int64_t(frame.Left) + frame.Width, bottom = int64_t(frame.Top) + frame.Height;
  const bool on_canvas = frame.Left >= 0 && frame.Top >= 0 && right <= gif->SWidth &&
                         bottom <= gif->SHeight && check_dimensions(gif->SWidth, gif->SHeight).ok();
  const int32_t width = on_canvas ? gif->SWidth : frame.Width;
  const int32_t height = on_canvas ? gif->SHeight : frame.Height;
  const int32_t left = on_canvas ? frame.Left : 0, top = on_canvas ? frame.Top : 0;

  std::vector<Rgb> palette = palette_of(gif);
  const bool covers = left == 0 && top == 0 && frame.Width == width && frame.Height == height;
  auto picture = Picture::create(width, height, 8, !covers);
  if (!picture) return picture.as_error();
  if (!covers) {
    const uint8_t background =
        gif->SBackGroundColor < int(palette.size()) ? uint8_t(gif->SBackGroundColor) : 0;
    for (int32_t y = 0; y < height; ++y) std::memset(picture->row(y), background, size_t(width));
  }

  // Interlaced images arrive in four passes: every 8th row from 0, every
  // 8th from 4, every 4th from 2, every 2nd from 1.
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  const int passes = frame.Interlace ? 4 : 1;
  int32_t rows_done = 0;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = frame.Interlace ? kStart[pass] : 0, step = frame.Interlace ? kStep[pass] : 1;
    for (int32_t y = start; y < frame.Height; y += step) {
      GifPixelType* dst = picture->row(top + y) + left;
      if (own_decoder) {
        PIXKIT_TRY(own_decoder->read_pixels(dst, size_t(frame.Width)));
      } else if (DGifGetLine(gif, dst, frame.Width) == GIF_ERROR) {
        return fail("gif: picture data damaged or truncated");
      }
      if (++rows_done % 64 == 0) report_progress(uint64_t(rows_done), uint64_t(frame.Height));
    }
  }
  picture->palette = std::move(palette);
  return finish_indexed(std::move(picture.value()));
}

}  // namespace

Result<Picture> decode_gif(const RangeSource& file) {
  SourceReader in(file);
  int error = 0;
  GifCloser gif{DGifOpen(&in, read_from_source, &error)};
  if (!gif.gif) return fail("gif: not a readable GIF file");
  return decode_first_image(gif.gif, in);
}

}  // namespace pixkit
