// SPDX-License-Identifier: LGPL-2.1-or-later
// GIF through giflib, one image, GIF87a (we write no extensions).
// Palette pictures keep their palette and indices. Pictures of 16, 24 and
// 32 bits with at most 256 colours get exactly those colours; more colours
// are reduced by giflib's median cut (GifQuantizeBuffer). Alpha is
// dropped: GIF can only make one index fully transparent.
#include <gif_lib.h>

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "codecs/codecs.h"
#include "core/progress.h"

namespace pixkit {
namespace {

constexpr int32_t kProgressStep = 64;

int write_to_output(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<OutputFile*>(gif->UserData);
  if (count < 0) return 0;
  out->write(data, size_t(count));
  return out->failed() ? 0 : count;
}

struct GifWriteCloser {
  GifFileType* gif;
  ~GifWriteCloser() {
    int error = 0;
    if (gif) EGifCloseFile(gif, &error);
  }
};

struct MapCloser {
  ColorMapObject* map;
  ~MapCloser() { GifFreeMapObject(map); }
};

// An indexed version of the picture: one index per pixel, rows top-down.
struct IndexedPicture {
  std::vector<GifColorType> colours;  // up to 256
  std::vector<GifPixelType> indices;  // width * height
};

int map_size_for(size_t colours) {
  int size = 2;  // GIF colour maps have 2^n entries, n >= 1
  while (size_t(size) < colours) size *= 2;
  return size;
}

IndexedPicture index_palette_view(const PictureView& view) {
  IndexedPicture p;
  p.colours.resize(size_t(1) << view.bit_count);
  for (size_t i = 0; i < p.colours.size() && i < view.palette.size(); ++i)
    p.colours[i] = GifColorType{view.palette[i].r, view.palette[i].g, view.palette[i].b};
  p.indices.resize(size_t(view.width) * size_t(view.height));
  for (int32_t y = 0; y < view.height; ++y) {
    const uint8_t* row = view.row(y);
    GifPixelType* dst = &p.indices[size_t(y) * size_t(view.width)];
    for (int32_t x = 0; x < view.width; ++x) dst[x] = view.index_at(row, x);
  }
  return p;
}

// Exact palette when the picture has no more than 256 colours; false when
// it has more.
bool index_few_colours(const PictureView& view, IndexedPicture& p) {
  std::unordered_map<uint32_t, uint8_t> lookup;
  std::vector<uint8_t> bgr(size_t(view.width) * 3);
  p.indices.resize(size_t(view.width) * size_t(view.height));
  for (int32_t y = 0; y < view.height; ++y) {
    row_to_bgr24(view, y, bgr.data());
    GifPixelType* dst = &p.indices[size_t(y) * size_t(view.width)];
    for (int32_t x = 0; x < view.width; ++x) {
      const uint8_t* px = &bgr[3 * size_t(x)];
      const uint32_t key = uint32_t(px[2]) | (uint32_t(px[1]) << 8) | (uint32_t(px[0]) << 16);
      auto it = lookup.find(key);
      if (it == lookup.end()) {
        if (lookup.size() == 256) return false;
        it = lookup.emplace(key, uint8_t(lookup.size())).first;
        p.colours.push_back(GifColorType{px[2], px[1], px[0]});
      }
      dst[x] = it->second;
    }
  }
  return true;
}

Status quantise(const PictureView& view, IndexedPicture& p) {
  const size_t pixels = size_t(view.width) * size_t(view.height);
  std::vector<GifByteType> red(pixels), green(pixels), blue(pixels);
  std::vector<uint8_t> bgr(size_t(view.width) * 3);
  for (int32_t y = 0; y < view.height; ++y) {
    row_to_bgr24(view, y, bgr.data());
    const size_t base = size_t(y) * size_t(view.width);
    for (int32_t x = 0; x < view.width; ++x) {
      blue[base + size_t(x)] = bgr[3 * size_t(x)];
      green[base + size_t(x)] = bgr[3 * size_t(x) + 1];
      red[base + size_t(x)] = bgr[3 * size_t(x) + 2];
    }
  }
  int colours = 256;
  p.colours.resize(256);
  p.indices.resize(pixels);
  if (GifQuantizeBuffer(unsigned(view.width), unsigned(view.height), &colours, red.data(), green.data(),
                        blue.data(), p.indices.data(), p.colours.data()) == GIF_ERROR)
    return fail("gif: colour reduction failed");
  p.colours.resize(size_t(std::clamp(colours, 1, 256)));
  return {};
}

Result<IndexedPicture> index_view(const PictureView& view) {
  if (view.bit_count <= 8) return index_palette_view(view);
  IndexedPicture p;
  if (index_few_colours(view, p)) return p;
  p = IndexedPicture{};
  PIXKIT_TRY(quantise(view, p));
  return p;
}

Status write_gif(const IndexedPicture& picture, int32_t width, int32_t height, OutputFile& out) {
  std::vector<GifColorType> colours = picture.colours;
  colours.resize(size_t(map_size_for(colours.size())), GifColorType{0, 0, 0});
  MapCloser map{GifMakeMapObject(int(colours.size()), colours.data())};
  if (!map.map) return fail("gif: out of memory for the colour map");

  int error = 0;
  GifWriteCloser gif{EGifOpen(&out, write_to_output, &error)};
  if (!gif.gif) return fail("gif: could not start the file");
  if (EGifPutScreenDesc(gif.gif, width, height, map.map->BitsPerPixel, 0, map.map) == GIF_ERROR ||
      EGifPutImageDesc(gif.gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
    return fail("gif: could not write the header");
  // EGifPutLine takes a non-const pointer but does not change the pixels.
  std::vector<GifPixelType> line(static_cast<size_t>(width));
  for (int32_t y = 0; y < height; ++y) {
    const GifPixelType* src = &picture.indices[size_t(y) * size_t(width)];
    std::copy_n(src, size_t(width), line.data());
    if (EGifPutLine(gif.gif, line.data(), width) == GIF_ERROR) return fail("gif: could not write a row");
    if (y % kProgressStep == 0) report_progress(uint64_t(y), uint64_t(height));
  }
  const int closed = EGifCloseFile(gif.gif, &error);
  gif.gif = nullptr;
  if (closed == GIF_ERROR) return fail("gif: could not finish the file");
  return {};
}

}  // namespace

Status encode_gif(const PictureView& view, OutputFile& out) {
  if (view.bit_count != 1 && view.bit_count != 4 && view.bit_count != 8 && view.bit_count != 16 &&
      view.bit_count != 24 && view.bit_count != 32)
    return fail("gif: unsupported bit count");
  if (view.width > 65535 || view.height > 65535) return fail("gif: picture too large for GIF");
  auto indexed = index_view(view);
  if (!indexed) return indexed.as_error();
  PIXKIT_TRY(write_gif(indexed.value(), view.width, view.height, out));
  return out.finish();
}

}  // namespace pixkit
