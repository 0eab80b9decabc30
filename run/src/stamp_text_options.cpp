// SPDX-License-Identifier: GPL-3.0-or-later
// The text pass with its options: a character height relative to the image,
// a margin in percent, smooth edges, an outline, a shadow, turning and
// tiling. With none of them on, the plain pass does all the work.
//
// Options that only change the font size or the margin leave the plain pass
// to do the drawing. The others draw the block once into a coverage mask
// (glyph coverage with smooth edges, else 255 exactly where the plain pass
// would see black), widen it by the outline, shift and blur it into the
// shadow, and compose the three into a sprite of colours and weights. The
// text's weight is coverage x (100 - t), so a fully covered pixel without
// outline or shadow beneath blends exactly like the plain pass.
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <new>

#include "image/dib_access.h"
#include "run/mark_size.h"
#include "run/mark_sprite.h"
#include "run/stamp_text.h"
#include "stamp_options.h"
#include "text_area.h"

namespace {

// Beyond these the mask work grows with their square for no visible gain.
constexpr int kMaxOutlineWidth = 64;
constexpr int kMaxShadowBlur = 64;
constexpr int kMaxShadowOffset = 4096;

struct Mask {
  int64_t width = 0;
  int64_t height = 0;
  std::vector<uint8_t> values;  // row by row, 0 .. 255
};

struct Colour {
  double blue = 0, green = 0, red = 0;
};

Colour colour_of(int32_t value) {
  const uint32_t v = uint32_t(value);
  return Colour{double((v >> 16) & 0xFF), double((v >> 8) & 0xFF), double(v & 0xFF)};
}

// The block's lines drawn into area (block coordinates: the block's top-left
// corner at 0, 0). Each line's cell is cleared before it is drawn, as the
// plain pass fills it white, so a line's overhang is cut by the next line
// in the same places.
Mask draw_coverage(const TextBlockLayout& layout, const QFont& font, const QFontMetrics& metrics,
                   const TextArea& area, bool smooth) {
  Mask mask;
  QImage canvas(int(area.x1 - area.x0), int(area.y1 - area.y0), QImage::Format_ARGB32_Premultiplied);
  if (canvas.isNull()) return mask;
  canvas.fill(Qt::transparent);
  {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing, smooth);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (size_t i = 0; i < layout.lines.size(); ++i) {
      const QString line = QString::fromStdString(layout.lines[i]);
      const int64_t top = int64_t(i) * layout.line_height;
      const TextArea reach =
          TextLineArea(metrics, line, 0, top, layout.line_widths[i], layout.line_height, layout.ascent);
      if (IntersectAreas(reach, area).empty()) continue;
      const int x = int(-area.x0);
      const int y = int(top - area.y0);
      painter.setCompositionMode(QPainter::CompositionMode_Clear);
      painter.fillRect(QRect(x, y, int(layout.line_widths[i]), int(layout.line_height)), Qt::transparent);
      painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
      painter.drawText(QPoint(x, y + int(layout.ascent)), line);
    }
  }
  mask.width = canvas.width();
  mask.height = canvas.height();
  mask.values.resize(size_t(mask.width * mask.height));
  for (int64_t y = 0; y < mask.height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(int(y)));
    uint8_t* out = mask.values.data() + size_t(y * mask.width);
    for (int64_t x = 0; x < mask.width; ++x) {
      const int alpha = qAlpha(row[x]);
      // Without smoothing the glyphs come out fully opaque or not at all.
      out[x] = uint8_t(smooth ? alpha : (alpha == 255 ? 255 : 0));
    }
  }
  return mask;
}

// The largest value of each row within half_width pixels to either side.
std::vector<uint8_t> row_maxima(const Mask& in, int64_t half_width) {
  std::vector<uint8_t> out(in.values.size());
  std::vector<int64_t> window(static_cast<size_t>(in.width));  // indices, values falling
  for (int64_t y = 0; y < in.height; ++y) {
    const uint8_t* row = in.values.data() + y * in.width;
    uint8_t* to = out.data() + y * in.width;
    size_t head = 0, tail = 0;
    int64_t next = 0;  // the next column to enter the window
    for (int64_t x = 0; x < in.width; ++x) {
      for (; next < in.width && next <= x + half_width; ++next) {
        while (tail > head && row[window[tail - 1]] <= row[next]) --tail;
        window[tail++] = next;
      }
      while (window[head] < x - half_width) ++head;
      to[x] = row[window[head]];
    }
  }
  return out;
}

// The largest value within a disc of the given radius around each pixel:
// for each row offset the disc's chord there, as a running maximum along
// the rows, so the cost grows with the radius and not with its square.
Mask widen(const Mask& in, int radius) {
  Mask out = in;
  std::vector<std::vector<uint8_t>> chords(size_t(radius) + 1);
  for (int dy = -radius; dy <= radius; ++dy) {
    int64_t half = 0;
    while ((half + 1) * (half + 1) + int64_t(dy) * dy <= int64_t(radius) * radius + radius) ++half;
    std::vector<uint8_t>& chord = chords[size_t(half)];
    if (chord.empty()) chord = row_maxima(in, half);
    for (int64_t y = std::max<int64_t>(0, dy); y < std::min<int64_t>(in.height, in.height + dy); ++y) {
      const uint8_t* from = chord.data() + (y - dy) * in.width;
      uint8_t* to = out.values.data() + y * in.width;
      for (int64_t x = 0; x < in.width; ++x) to[x] = std::max(to[x], from[x]);
    }
  }
  return out;
}

// One box pass of the given radius along rows (step 1) or columns (step
// width), rounded to the nearest value; outside the mask counts as 0.
void box_pass(std::vector<uint8_t>& values, int64_t lines, int64_t length, int64_t line_step, int64_t step,
              int radius) {
  std::vector<uint8_t> line(static_cast<size_t>(length));
  const int64_t span = 2 * int64_t(radius) + 1;
  for (int64_t l = 0; l < lines; ++l) {
    uint8_t* base = values.data() + l * line_step;
    for (int64_t i = 0; i < length; ++i) line[size_t(i)] = base[i * step];
    int64_t sum = 0;
    for (int64_t i = 0; i < std::min<int64_t>(radius, length); ++i) sum += line[size_t(i)];
    for (int64_t i = 0; i < length; ++i) {
      if (i + radius < length) sum += line[size_t(i + radius)];
      if (i - radius - 1 >= 0) sum -= line[size_t(i - radius - 1)];
      base[i * step] = uint8_t((sum + span / 2) / span);
    }
  }
}

// The body's coverage moved by the offset and blurred by two box passes in
// each direction, close to a Gaussian of the radius.
Mask shadow_of(const Mask& body, int dx, int dy, int blur) {
  Mask out;
  out.width = body.width;
  out.height = body.height;
  out.values.assign(body.values.size(), 0);
  for (int64_t y = std::max<int64_t>(0, dy); y < std::min<int64_t>(body.height, body.height + dy); ++y)
    for (int64_t x = std::max<int64_t>(0, dx); x < std::min<int64_t>(body.width, body.width + dx); ++x)
      out.values[size_t(y * body.width + x)] = body.values[size_t((y - dy) * body.width + (x - dx))];
  if (blur > 0) {
    for (int pass = 0; pass < 2; ++pass) {
      box_pass(out.values, out.height, out.width, out.width, 1, blur);
      box_pass(out.values, out.width, out.height, 1, out.width, blur);
    }
  }
  return out;
}

// Body (fill over outline) over shadow, each with its own transparency.
void compose(MarkSprite& sprite, const Mask& fill, const Mask* outline, const Mask* shadow,
             const TextStampSettings& settings) {
  const TextOptions& options = settings.options;
  const double body_share = (100 - std::clamp(settings.transparency, 0, 100)) / 100.0;
  const double shadow_share = (100 - std::clamp(options.shadow_transparency, 0, 100)) / 100.0;
  const Colour text = colour_of(settings.font.color);
  const Colour rim = colour_of(options.outline_color);
  const Colour shade = colour_of(options.shadow_color);
  for (size_t i = 0; i < fill.values.size(); ++i) {
    const double f = fill.values[i];
    const double b = outline ? std::max<double>(outline->values[i], f) : f;
    const double s = shadow ? shadow->values[i] : 0;
    if (b == 0 && s == 0) continue;
    const double wb = b / 255 * body_share;
    const double ws = s / 255 * shadow_share * (1 - wb);
    const double w = wb + ws;
    const long weight = std::lround(w * kMarkWeightFull);
    if (weight <= 0) continue;
    sprite.weight[i] = uint16_t(std::min<long>(weight, kMarkWeightFull));
    // Within the body, the fill's coverage takes the text colour and the
    // rest of the body the outline colour.
    const double share_text = b > 0 ? f / b : 0;
    const double body[3] = {text.blue * share_text + rim.blue * (1 - share_text),
                            text.green * share_text + rim.green * (1 - share_text),
                            text.red * share_text + rim.red * (1 - share_text)};
    const double under[3] = {shade.blue, shade.green, shade.red};
    for (int k = 0; k < 3; ++k)
      sprite.colour[3 * i + size_t(k)] =
          uint8_t(std::clamp(std::lround((body[k] * wb + under[k] * ws) / w), 0L, 255L));
  }
}

void stamp_composed_text(TDibImage& image, const TextStampSettings& settings) {
  const TextOptions& options = settings.options;
  const int64_t width = DibWidth(image);
  const int64_t height = DibHeight(image);
  const TextBlockLayout layout = LayOutTextBlock(settings, width, height);
  if (layout.lines.empty() || !layout.place.valid) return;
  const bool turned = MarkTurnOf(options.angle).cos != 1;

  const QFont plain_font = MakeTextQFont(settings.font);
  QFont font = plain_font;
  if (options.smooth)
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
  const QFontMetrics metrics = TextFontMetrics(plain_font);

  const int outline = options.outline ? std::clamp(options.outline_width, 0, kMaxOutlineWidth) : 0;
  const int shadow_dx = std::clamp(options.shadow_dx, -kMaxShadowOffset, kMaxShadowOffset);
  const int shadow_dy = std::clamp(options.shadow_dy, -kMaxShadowOffset, kMaxShadowOffset);
  const int blur = std::clamp(options.shadow_blur, 0, kMaxShadowBlur);
  // The outline widens every side; the shadow adds its blur on every side
  // but its offset only on the side it is moved to.
  const int64_t spread = outline + (options.shadow ? 2 * int64_t(blur) + 1 : 0);
  const int64_t pad_left = spread + (options.shadow ? std::max(0, -shadow_dx) : 0);
  const int64_t pad_right = spread + (options.shadow ? std::max(0, shadow_dx) : 0);
  const int64_t pad_top = spread + (options.shadow ? std::max(0, -shadow_dy) : 0);
  const int64_t pad_bottom = spread + (options.shadow ? std::max(0, shadow_dy) : 0);
  const int64_t pad = std::max({pad_left, pad_right, pad_top, pad_bottom});

  // The mask in block coordinates: every line's reach, widened by what the
  // outline and the shadow add; a mark laid once is cut to the image (with
  // that widening, so outlines of glyphs just outside still reach in).
  TextArea area;
  for (size_t i = 0; i < layout.lines.size(); ++i)
    area = UniteAreas(area, TextLineArea(metrics, QString::fromStdString(layout.lines[i]), 0,
                                         int64_t(i) * layout.line_height, layout.line_widths[i],
                                         layout.line_height, layout.ascent));
  area = TextArea{area.x0 - pad_left, area.y0 - pad_top, area.x1 + pad_right, area.y1 + pad_bottom};
  if (!turned && !options.tile.enabled)
    area = IntersectAreas(area, TextArea{-layout.place.left - pad, -layout.place.top - pad,
                                         width - layout.place.left + pad, height - layout.place.top + pad});
  if (area.empty()) return;
  MarkSprite sprite = MakeMarkSprite(area.x1 - area.x0, area.y1 - area.y0);
  if (sprite.empty()) return;
  sprite.block_left = -area.x0;
  sprite.block_top = -area.y0;
  sprite.block_width = layout.width;
  sprite.block_height = layout.height;

  const Mask fill = draw_coverage(layout, font, metrics, area, options.smooth);
  if (fill.values.size() != sprite.weight.size()) return;
  const Mask rim = outline > 0 ? widen(fill, outline) : Mask{};
  const Mask* body = outline > 0 ? &rim : &fill;
  const Mask shade = options.shadow ? shadow_of(*body, shadow_dx, shadow_dy, blur) : Mask{};
  compose(sprite, fill, outline > 0 ? &rim : nullptr, options.shadow ? &shade : nullptr, settings);

  const BlockPlacement& place = layout.place;
  if (!turned && !options.tile.enabled) {
    BlendMarkSprite(image, sprite, place.left - sprite.block_left, place.top - sprite.block_top);
    return;
  }
  if (layout.width <= 0 || layout.height <= 0) return;
  MarkSprite mark = turned ? TurnMarkSprite(sprite, 1.0, layout.width, layout.height, options.angle) : sprite;
  if (mark.empty()) return;
  if (!turned) FindMarkRuns(mark);
  LayMark(image, mark, place.left, place.top, layout.width, layout.height, options.tile, options.angle);
}

void StampTextWithOptions(TDibImage& image, const TextStampSettings& settings) {
  if (!DibHoldsPixels(image, 24)) return;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  const TextOptions& options = settings.options;
  const TextStampSettings sized = SizeTextForImage(settings, DibWidth(image), DibHeight(image));
  const bool composed = MarkTurnOf(options.angle).cos != 1 || options.tile.enabled || options.outline ||
                        options.shadow || options.smooth;
  if (!composed) {
    StampPlainText(image, sized);
    return;
  }
  try {
    stamp_composed_text(image, sized);
  } catch (const std::bad_alloc&) {
    // No room for the masks: the image stays as it was, as for any text
    // that cannot be drawn.
  }
}

}  // namespace

TextStampSettings SizeTextForImage(const TextStampSettings& settings, int64_t image_width,
                                   int64_t image_height) {
  const TextOptions& options = settings.options;
  TextStampSettings sized = settings;
  sized.margin = MarkMarginPixels(options.margin_in_percent, options.margin_percent, settings.margin,
                                  image_width, image_height);
  // The font holds pixel sizes up to 32768 only.
  if (options.relative == RelativeTo::kImageHeight)
    sized.font.height =
        -int32_t(std::min<int64_t>(RelativeTextPixelSize(options.relative_percent, image_height), 32768));
  return sized;
}

void StampText(TDibImage& image, const TextStampSettings& settings) {
  if (settings.options.any()) {
    StampTextWithOptions(image, settings);
    return;
  }
  StampPlainText(image, settings);
}
