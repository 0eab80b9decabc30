// SPDX-License-Identifier: GPL-3.0-or-later
// Laying a shaped mark into the image, once or over the tiling grid.
//
// The laid mark is sampled in pieces of at most kPieceSide x kPieceSide
// pixels, each straight into the image where it lands, so a mark of any
// size and angle costs a piece's memory, never the whole laid mark's. Its
// source is held whole when that is small; a larger source (a text drawn
// very large) is read one window per piece.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/dib_access.h"
#include "mark_sampling.h"
#include "run/mark_size.h"
#include "run/mark_sprite.h"
#include "stamp_options.h"

namespace {

constexpr int64_t kPieceSide = 512;

bool fits(const MarkRect& rect, int64_t pixels) {
  return rect.width() <= pixels && rect.height() <= pixels && rect.width() * rect.height() <= pixels;
}

// One part of the source as laid: the windows its pieces read, clipped to
// the part so that its pieces see none of the others; the part held whole
// when that is small enough.
class LaidPart {
 public:
  LaidPart(const MarkSource& source, const MarkShape& shape, const MarkRect& part)
      : source_(source), shape_(shape), part_(part), box_(LaidBoxOf(shape, part)) {
    if (fits(part, kHeldMarkPixels)) {
      whole_ = source.Window(part);
      held_ = true;
    }
  }

  const MarkRect& box() const { return box_; }

  // Null pixels when target reads nothing.
  MarkWindow for_target(const MarkRect& target) {
    if (held_) return MarkWindow{&whole_, part_.x0, part_.y0};
    const MarkRect rect = IntersectMarkRects(SourceRectFor(shape_, target), part_);
    if (rect.empty()) return MarkWindow{};
    piece_ = source_.Window(rect);
    return MarkWindow{&piece_, rect.x0, rect.y0};
  }

 private:
  const MarkSource& source_;
  const MarkShape& shape_;
  MarkRect part_;
  MarkRect box_;
  bool held_ = false;
  MarkSprite whole_;
  MarkSprite piece_;
};

template <class Visit>
void for_each_piece(const MarkRect& rect, Visit visit) {
  for (int64_t y = rect.y0; y < rect.y1; y += kPieceSide)
    for (int64_t x = rect.x0; x < rect.x1; x += kPieceSide)
      visit(MarkRect{x, y, std::min(x + kPieceSide, rect.x1), std::min(y + kPieceSide, rect.y1)});
}

// A piece's sprite in the storage of the one before: its weights 0 again,
// and no new allocation once the first piece has made room, since no piece
// is larger than kPieceSide x kPieceSide.
void reuse_for_piece(MarkSprite& sprite, const MarkRect& piece) {
  const size_t count = size_t(piece.width() * piece.height());
  sprite.weight.assign(count, 0);
  sprite.colour.assign(3 * count, 0);
  sprite.width = int32_t(piece.width());
  sprite.height = int32_t(piece.height());
}

// One part of a mark, its block's top-left corner at (left, top), sampled
// piece by piece into the part of the image it covers; out is the pieces'
// scratch.
void lay_once(TDibImage& image, LaidPart& part, const MarkShape& shape, int64_t left, int64_t top,
              MarkSprite& out) {
  const MarkRect image_rect{-left, -top, DibWidth(image) - left, DibHeight(image) - top};
  for_each_piece(IntersectMarkRects(part.box(), image_rect), [&](const MarkRect& piece) {
    const MarkWindow window = part.for_target(piece);
    if (window.pixels == nullptr) return;
    reuse_for_piece(out, piece);
    SampleMark(shape, window, piece, out, piece.x0, piece.y0);
    FindMarkRuns(out);
    BlendMarkSprite(image, out, left + piece.x0, top + piece.y0);
  });
}

}  // namespace

MarkTiling MarkTilingOf(const TileOptions& tile, double angle, int64_t image_width, int64_t image_height,
                        int64_t block_width, int64_t block_height) {
  MarkTiling tiling;
  tiling.enabled = tile.enabled;
  tiling.gap_x = TileGapPixels(tile, true, image_width, image_height, block_width, block_height);
  tiling.gap_y = TileGapPixels(tile, false, image_width, image_height, block_width, block_height);
  tiling.angle = angle;
  return tiling;
}

void LayMark(TDibImage& image, const MarkSource& source, const MarkShape& shape, int64_t left, int64_t top,
             const MarkTiling& tiling) {
  if (!DibHoldsPixels(image, 24) || !shape.valid()) return;
  const std::vector<MarkRect> rects = source.Parts();
  std::vector<LaidPart> parts;
  parts.reserve(rects.size());
  for (const MarkRect& rect : rects)
    if (!rect.empty()) parts.emplace_back(source, shape, rect);
  MarkSprite scratch;
  if (!tiling.enabled) {
    for (LaidPart& part : parts) lay_once(image, part, shape, left, top, scratch);
    return;
  }
  TileGrid grid;
  grid.anchor_left = left;
  grid.anchor_top = top;
  grid.block_width = shape.block_width;
  grid.block_height = shape.block_height;
  grid.gap_x = tiling.gap_x;
  grid.gap_y = tiling.gap_y;
  grid.angle = tiling.angle;
  // Parts small enough to hold laid are sampled once and blended at every
  // corner; larger ones are sampled anew at each, and of marks that large
  // only a few reach the image.
  std::vector<MarkSprite> laid(parts.size());
  std::vector<bool> held(parts.size(), false);
  for (size_t i = 0; i < parts.size(); ++i) {
    const MarkRect& box = parts[i].box();
    grid.reach =
        std::max({grid.reach, -box.x0, -box.y0, box.x1 - shape.block_width, box.y1 - shape.block_height});
    if (box.empty() || !fits(box, kHeldLaidPixels)) continue;
    laid[i] = MakeMarkSprite(box.width(), box.height());
    for_each_piece(box, [&](const MarkRect& piece) {
      const MarkWindow window = parts[i].for_target(piece);
      if (window.pixels != nullptr) SampleMark(shape, window, piece, laid[i], box.x0, box.y0);
    });
    FindMarkRuns(laid[i]);
    held[i] = true;
  }
  ForEachTileCorner(DibWidth(image), DibHeight(image), grid, [&](const TileCorner& corner) {
    for (size_t i = 0; i < parts.size(); ++i) {
      if (held[i])
        BlendMarkSprite(image, laid[i], corner.left + parts[i].box().x0, corner.top + parts[i].box().y0);
      else
        lay_once(image, parts[i], shape, corner.left, corner.top, scratch);
    }
  });
}
