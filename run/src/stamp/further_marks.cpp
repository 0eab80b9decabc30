// SPDX-License-Identifier: GPL-3.0-or-later
// A mark laid "normal" goes through the picture or text pass as the job's
// own marks do. Any other blend needs the mark's colour and coverage apart
// from the picture's: the pass stamps the mark opaque onto a black and a
// white canvas, and per channel black = colour x coverage and white =
// black + 255 x (1 - coverage) give both back, outline, shadow, smooth
// edges and a logo's alpha included.
#include "run/further_marks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/dib_access.h"
#include "image/replace_depth.h"
#include "run/text_variables.h"

namespace {

// The W3C separable blend functions, colours in 0..1: backdrop b, source s.
double soft_light_d(double b) { return b <= 0.25 ? ((16 * b - 12) * b + 4) * b : std::sqrt(b); }

double blended(MarkBlend blend, double b, double s) {
  switch (blend) {
    case MarkBlend::kNormal:
      return s;
    case MarkBlend::kMultiply:
      return b * s;
    case MarkBlend::kScreen:
      return b + s - b * s;
    case MarkBlend::kOverlay:  // hard light with the roles swapped
      return b <= 0.5 ? 2 * b * s : 1 - 2 * (1 - b) * (1 - s);
    case MarkBlend::kSoftLight:
      return s <= 0.5 ? b - (1 - 2 * s) * b * (1 - b) : b + (2 * s - 1) * (soft_light_d(b) - b);
  }
  return s;
}

int64_t margin_pixels(const MarkMargin& margin, int64_t side) {
  const double pixels = margin.percent ? margin.value * double(side) / 100 : margin.value;
  return int64_t(std::trunc(std::clamp(pixels, -1e9, 1e9)));
}

TDibImage filled_canvas(const TDibImage& like, uint8_t value) {
  TDibImage canvas = NewDibLike(like, 24);
  if (canvas.Bits == nullptr) return canvas;
  for (int32_t y = 0; y < DibHeight(canvas); ++y)
    std::memset(DibRow(canvas, y), value, size_t(DibWidth(canvas)) * 3);
  return canvas;
}

// Lays what stamp_opaque draws onto image by blend, then mixes it in by the
// transparency (0 opaque .. 100 invisible) as the passes do.
template <class StampOpaque>
void stamp_blended(TDibImage& image, MarkBlend blend, int transparency, StampOpaque&& stamp_opaque) {
  TDibImage black = filled_canvas(image, 0);
  TDibImage white = filled_canvas(image, 255);
  if (black.Bits != nullptr && white.Bits != nullptr) {
    stamp_opaque(black);
    stamp_opaque(white);
    const double keep = double(std::clamp(transparency, 0, 100)) / 100;
    const size_t bytes = size_t(DibWidth(image)) * 3;
    for (int32_t y = 0; y < DibHeight(image); ++y) {
      uint8_t* row = DibRow(image, y);
      const uint8_t* on_black = DibRow(black, y);
      const uint8_t* on_white = DibRow(white, y);
      for (size_t i = 0; i < bytes; ++i) {
        const int cover = std::clamp(255 - (int(on_white[i]) - int(on_black[i])), 0, 255);
        if (cover == 0) continue;
        const double a = cover / 255.0;
        const double colour = std::min(1.0, double(on_black[i]) / cover);
        const double b = row[i] / 255.0;
        const double laid = (1 - a) * b + a * blended(blend, b, colour);
        const double mixed = b * keep + laid * (1 - keep);
        row[i] = uint8_t(std::lround(std::clamp(mixed, 0.0, 1.0) * 255));
      }
    }
  }
  deldib(&black);
  deldib(&white);
}

}  // namespace

SharedMarkPicture ShareMarkPicture(TDibImage record) {
  return SharedMarkPicture(new TDibImage(record), [](const TDibImage* held) {
    TDibImage release = *held;
    deldib(&release);
    delete held;
  });
}

bool MarkAppliesTo(const FurtherMark& mark, int64_t width, int64_t height) {
  switch (mark.only) {
    case MarkOrientation::kAll:
      return true;
    case MarkOrientation::kLandscape:
      return width > height;
    case MarkOrientation::kPortrait:
      return height > width;
  }
  return true;
}

PictureStampSettings PictureMarkSettings(const FurtherMark& mark, int64_t width, int64_t height) {
  PictureStampSettings settings = mark.picture_settings;
  settings.margin = margin_pixels(mark.margin_x, width);
  settings.margin_y = margin_pixels(mark.margin_y, height);
  settings.options.margin_in_percent = false;
  return settings;
}

TextStampSettings TextMarkSettings(const FurtherMark& mark, const std::string& source, int64_t number,
                                   int64_t width, int64_t height) {
  TextStampSettings settings = mark.text_settings;
  settings.margin = margin_pixels(mark.margin_x, width);
  settings.margin_y = margin_pixels(mark.margin_y, height);
  settings.options.margin_in_percent = false;
  if (settings.options.variables)
    settings.text = ReplaceTextVariables(
        settings.text, ReadSourceFacts(source, number, width, height, TextNeedsCaptureFacts(settings.text)));
  return settings;
}

void StampFurtherMarks(TDibImage& image, const std::vector<FurtherMark>& marks, const std::string& source,
                       int64_t number) {
  const int64_t width = DibWidth(image), height = DibHeight(image);
  for (const FurtherMark& mark : marks) {
    if (!MarkAppliesTo(mark, width, height)) continue;
    if (mark.is_text) {
      TextStampSettings settings = TextMarkSettings(mark, source, number, width, height);
      if (mark.blend == MarkBlend::kNormal) {
        StampText(image, settings);
        continue;
      }
      const int transparency = settings.transparency;
      settings.transparency = 0;
      stamp_blended(image, mark.blend, transparency, [&](TDibImage& canvas) { StampText(canvas, settings); });
      continue;
    }
    if (!mark.picture || mark.picture->Bits == nullptr) continue;
    PictureStampSettings settings = PictureMarkSettings(mark, width, height);
    if (mark.blend == MarkBlend::kNormal) {
      StampPicture(image, *mark.picture, settings);
      continue;
    }
    const int transparency = settings.transparency;
    settings.transparency = 0;
    stamp_blended(image, mark.blend, transparency,
                  [&](TDibImage& canvas) { StampPicture(canvas, *mark.picture, settings); });
  }
}
