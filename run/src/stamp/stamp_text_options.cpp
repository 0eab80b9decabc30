// SPDX-License-Identifier: GPL-3.0-or-later
// The text pass with its options: a character height relative to the image,
// a margin in percent, smooth edges, an outline, a shadow, turning and
// tiling. With none of them on, the plain pass does all the work.
//
// Options that only change the font size or the margin leave the plain pass
// to do the drawing. The others lay the text as a mark (mark_lay.cpp) whose
// source is drawn for the window asked for: a coverage mask (glyph coverage
// with smooth edges, else 255 exactly where the plain pass would see black),
// widened by the outline, shifted and blurred into the shadow, the three
// composed into colours and weights. Each window is drawn with the margin
// the outline and the blur reach across, so windows fit together without a
// seam and a text of any size is drawn a window at a time. The text's
// weight is coverage x (100 - t), so a fully covered pixel without outline
// or shadow beneath blends exactly like the plain pass.
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <new>

#include "image/dib_access.h"
#include "mark_sampling.h"
#include "run/mark_size.h"
#include "run/mark_sprite.h"
#include "run/stamp_text.h"
#include "stamp_options.h"
#include "text_area.h"
#include "text_mark_masks.h"

namespace {

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
  if (canvas.isNull()) throw std::bad_alloc();
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

TextArea grown(const TextArea& area, int64_t by) {
  return TextArea{area.x0 - by, area.y0 - by, area.x1 + by, area.y1 + by};
}

int64_t size_of(const TextArea& area) { return (area.x1 - area.x0) * (area.y1 - area.y0); }

// What the options add to the drawn text, held to their ranges.
struct TextLooks {
  bool smooth = false;
  int outline = 0;  // 0: none
  bool shadow = false;
  int shadow_dx = 0;
  int shadow_dy = 0;
  int blur = 0;
};

TextLooks looks_of(const TextOptions& options) {
  TextLooks looks;
  looks.smooth = options.smooth;
  looks.outline = options.outline ? std::clamp(options.outline_width, 0, kMaxOutlineWidth) : 0;
  looks.shadow = options.shadow;
  looks.shadow_dx = std::clamp(options.shadow_dx, -kMaxShadowOffset, kMaxShadowOffset);
  looks.shadow_dy = std::clamp(options.shadow_dy, -kMaxShadowOffset, kMaxShadowOffset);
  looks.blur = std::clamp(options.shadow_blur, 0, kMaxShadowBlur);
  return looks;
}

// The composed text as a mark's source. Its frame is area (block
// coordinates): every line's reach, widened by what the outline and the
// shadow add.
class TextMarkSource final : public MarkSource {
 public:
  TextMarkSource(const TextBlockLayout& layout, const QFont& font, const QFontMetrics& metrics,
                 const TextStampSettings& settings, const TextLooks& looks, const TextArea& lines,
                 const TextArea& area)
      : layout_(layout),
        font_(font),
        metrics_(metrics),
        settings_(settings),
        looks_(looks),
        area_(area),
        body_(grown(lines, looks.outline)),
        shade_(grown(TextArea{body_.x0 + looks.shadow_dx, body_.y0 + looks.shadow_dy,
                              body_.x1 + looks.shadow_dx, body_.y1 + looks.shadow_dy},
                     2 * int64_t(looks.blur) + 1)) {}

  // The text with its outline, and its shadow: apart when the shadow is
  // moved clear of the text.
  std::vector<MarkRect> Parts() const override {
    const MarkRect whole{0, 0, area_.x1 - area_.x0, area_.y1 - area_.y0};
    if (!looks_.shadow) return {whole};
    const int64_t apart =
        std::max({shade_.x0 - body_.x1, body_.x0 - shade_.x1, shade_.y0 - body_.y1, body_.y0 - shade_.y1});
    if (apart < 2) return {whole};
    return {in_frame(body_), in_frame(shade_)};
  }

  MarkSprite Window(const MarkRect& rect) const override {
    const TextArea window{area_.x0 + rect.x0, area_.y0 + rect.y0, area_.x0 + rect.x1, area_.y0 + rect.y1};
    const int outline = looks_.outline;
    const bool bodied = !IntersectAreas(window, body_).empty();
    const bool shaded = looks_.shadow && !IntersectAreas(window, shade_).empty();
    // The fill and the outline around it need the glyphs within the
    // outline's reach of the window. The shadow is the body (fill and
    // outline) moved by the offset and blurred: it needs the body where the
    // window's pixels come from, with the blur's reach around it.
    const TextArea fill_area = grown(window, outline);
    const int64_t reach = 2 * int64_t(looks_.blur);
    const TextArea from = grown(TextArea{window.x0 - looks_.shadow_dx, window.y0 - looks_.shadow_dy,
                                         window.x1 - looks_.shadow_dx, window.y1 - looks_.shadow_dy},
                                reach);
    const TextArea shade_area = grown(from, outline);
    // A shadow close to the text is drawn and widened together with it.
    const TextArea both = UniteAreas(fill_area, shade_area);
    const bool together = bodied && shaded && size_of(both) <= size_of(fill_area) + size_of(shade_area);
    Mask drawn, widened;
    if (together) {
      drawn = draw_coverage(layout_, font_, metrics_, both, looks_.smooth);
      widened = outline > 0 ? WidenMask(drawn, outline) : Mask{};
    }
    const auto part = [&both](const Mask& mask, const TextArea& a) {
      return CutMask(mask, a.x0 - both.x0, a.y0 - both.y0, a.x1 - a.x0, a.y1 - a.y0);
    };

    Mask fill{rect.width(), rect.height(), std::vector<uint8_t>(size_t(rect.width() * rect.height()), 0)};
    Mask rim;
    if (together) {
      fill = part(drawn, window);
      if (outline > 0) rim = part(widened, window);
    } else if (bodied) {
      const Mask drawn_fill = draw_coverage(layout_, font_, metrics_, fill_area, looks_.smooth);
      fill = InnerMask(drawn_fill, outline);
      if (outline > 0) rim = InnerMask(WidenMask(drawn_fill, outline), outline);
    }
    Mask shade;
    if (together) {
      shade = part(outline > 0 ? widened : drawn, from);
    } else if (shaded) {
      const Mask drawn_body = draw_coverage(layout_, font_, metrics_, shade_area, looks_.smooth);
      shade = outline > 0 ? InnerMask(WidenMask(drawn_body, outline), outline) : drawn_body;
    }
    if (shaded) {
      BlurMask(shade, looks_.blur);
      shade = InnerMask(shade, reach);
    }
    MarkSprite sprite = MakeMarkSprite(rect.width(), rect.height());
    compose(sprite, fill, rim.values.empty() ? nullptr : &rim, shaded ? &shade : nullptr, settings_);
    return sprite;
  }

 private:
  MarkRect in_frame(const TextArea& a) const {
    return IntersectMarkRects(MarkRect{a.x0 - area_.x0, a.y0 - area_.y0, a.x1 - area_.x0, a.y1 - area_.y0},
                              MarkRect{0, 0, area_.x1 - area_.x0, area_.y1 - area_.y0});
  }

  const TextBlockLayout& layout_;
  const QFont& font_;
  const QFontMetrics& metrics_;
  const TextStampSettings& settings_;
  TextLooks looks_;
  TextArea area_;
  TextArea body_;   // where the text and its outline can have weight
  TextArea shade_;  // where the shadow can
};

void stamp_composed_text(TDibImage& image, const TextStampSettings& settings) {
  const TextOptions& options = settings.options;
  const int64_t width = DibWidth(image);
  const int64_t height = DibHeight(image);
  const TextBlockLayout layout = LayOutTextBlock(settings, width, height);
  if (layout.lines.empty() || !layout.place.valid) return;

  const QFont plain_font = MakeTextQFont(settings.font);
  QFont font = plain_font;
  if (options.smooth)
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
  const QFontMetrics metrics = TextFontMetrics(plain_font);

  const TextLooks looks = looks_of(options);
  // The outline widens every side; the shadow adds its blur on every side
  // but its offset only on the side it is moved to.
  const int64_t spread = looks.outline + (looks.shadow ? 2 * int64_t(looks.blur) + 1 : 0);
  const int64_t pad_left = spread + (looks.shadow ? std::max(0, -looks.shadow_dx) : 0);
  const int64_t pad_right = spread + (looks.shadow ? std::max(0, looks.shadow_dx) : 0);
  const int64_t pad_top = spread + (looks.shadow ? std::max(0, -looks.shadow_dy) : 0);
  const int64_t pad_bottom = spread + (looks.shadow ? std::max(0, looks.shadow_dy) : 0);
  TextArea lines;
  for (size_t i = 0; i < layout.lines.size(); ++i)
    lines = UniteAreas(lines, TextLineArea(metrics, QString::fromStdString(layout.lines[i]), 0,
                                           int64_t(i) * layout.line_height, layout.line_widths[i],
                                           layout.line_height, layout.ascent));
  const TextArea area{lines.x0 - pad_left, lines.y0 - pad_top, lines.x1 + pad_right, lines.y1 + pad_bottom};
  if (lines.empty()) return;

  const MarkFrame frame{.width = area.x1 - area.x0,
                        .height = area.y1 - area.y0,
                        .block_left = -area.x0,
                        .block_top = -area.y0,
                        .block_width = layout.width,
                        .block_height = layout.height};
  // At its own size an unturned text is copied as drawn, whatever the
  // scaling asked for.
  const MarkShape shape =
      ShapeMark(frame, 1.0, layout.width, layout.height, options.angle, MarkScaling::kNearest);
  if (!shape.valid()) return;
  const TextMarkSource source(layout, font, metrics, settings, looks, lines, area);
  LayMark(image, source, shape, layout.place.left, layout.place.top,
          MarkTilingOf(options.tile, options.angle, width, height, layout.width, layout.height));
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
  stamp_composed_text(image, sized);
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
