// SPDX-License-Identifier: GPL-3.0-or-later
// TextFont to QFont with the rendering fixed explicitly.
#include <fontconfig/fontconfig.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>

#include "run/text_font.h"

namespace {

constexpr int64_t kMaxPixelSize = 32768;

int clamp_pixel_size(int64_t size) { return int(std::clamp<int64_t>(size, 1, kMaxPixelSize)); }

bool name_holds(const std::string& name, const char* word) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return lower.find(word) != std::string::npos;
}

// What a face name says about its weight and width: "Arial Black" is the
// heaviest cut of its family, "Arial Narrow" a condensed one.
struct NamedCut {
  int weight = QFont::Normal;
  int stretch = QFont::Unstretched;
};

NamedCut cut_from_name(const std::string& name) {
  NamedCut cut;
  if (name_holds(name, "black") || name_holds(name, "heavy")) {
    cut.weight = QFont::Black;
  } else if (name_holds(name, "bold")) {
    cut.weight = QFont::Bold;
  } else if (name_holds(name, "light") || name_holds(name, "thin")) {
    cut.weight = QFont::Light;
  }
  if (name_holds(name, "narrow") || name_holds(name, "condensed")) cut.stretch = QFont::Condensed;
  return cut;
}

// fontconfig's weight and width scales for Qt's.
int fc_weight(int qt_weight) {
  if (qt_weight >= QFont::Black) return FC_WEIGHT_BLACK;
  if (qt_weight >= QFont::Bold) return FC_WEIGHT_BOLD;
  if (qt_weight <= QFont::Light) return FC_WEIGHT_LIGHT;
  return FC_WEIGHT_REGULAR;
}
int fc_width(int qt_stretch) { return qt_stretch <= QFont::Condensed ? FC_WIDTH_CONDENSED : FC_WIDTH_NORMAL; }

// The family fontconfig picks for the pattern, and whether that family is
// the face asked for (under any of its names) rather than a substitute.
struct FaceMatch {
  std::string family;
  bool is_the_face = false;
  int weight = QFont::Normal;        // of the cut fontconfig chose, on Qt's scale
  int stretch = QFont::Unstretched;  // its width in percent, as Qt counts too
};

FaceMatch match_face(const std::string& name, const NamedCut& cut, bool italic) {
  FaceMatch face;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return face;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, fc_weight(cut.weight));
  FcPatternAddInteger(pattern, FC_WIDTH, fc_width(cut.stretch));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (match != nullptr) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
      if (i == 0) face.family = reinterpret_cast<const char*>(family);
      if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(name.c_str())) == 0)
        face.is_the_face = true;
    }
    int value = 0;
    if (FcPatternGetInteger(match, FC_WEIGHT, 0, &value) == FcResultMatch)
      face.weight = std::clamp(FcWeightToOpenType(value), 1, 1000);
    if (FcPatternGetInteger(match, FC_WIDTH, 0, &value) == FcResultMatch)
      face.stretch = std::clamp(value, 1, 4000);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return face;
}

}  // namespace

QFont MakeTextQFont(const TextFont& font) {
  QFont q;
  const bool bold = (font.style & kFontBold) != 0;
  const bool italic = (font.style & kFontItalic) != 0;
  // A face the system lacks is replaced by the cut of another family that
  // keeps what the name says about weight and width, the record's own style
  // bits on top; Qt is given the very cut fontconfig chose (family, weight,
  // width), so it does not fall back on a family's regular cut.
  NamedCut asked = cut_from_name(font.name);
  if (bold) asked.weight = std::max<int>(asked.weight, QFont::Bold);
  const FaceMatch face = match_face(font.name, asked, italic);
  int weight = QFont::Normal;
  if (face.is_the_face || face.family.empty()) {
    q.setFamily(QString::fromStdString(font.name));
  } else {
    q.setFamily(QString::fromStdString(face.family));
    weight = face.weight;
    if (face.stretch != QFont::Unstretched) q.setStretch(face.stretch);
  }
  q.setWeight(QFont::Weight(bold ? std::max<int>(weight, QFont::Bold) : weight));

  // No antialiasing: every glyph pixel comes out fully black on the mask,
  // and only exactly black mask pixels are stamped, so thin and diagonal
  // strokes stay whole. Fixed here, not left to the desktop's settings, so
  // the window and the command line draw the same pixels.
  if (font.pitch == kPitchFixed) {
    q.setFixedPitch(true);
    q.setStyleHint(QFont::TypeWriter, QFont::NoAntialias);
  } else {
    q.setStyleStrategy(QFont::NoAntialias);
  }
  q.setHintingPreference(QFont::PreferFullHinting);
  q.setItalic(italic);
  q.setUnderline((font.style & kFontUnderline) != 0);
  q.setStrikeOut((font.style & kFontStrikeOut) != 0);

  const int64_t height = font.height;
  if (height < 0) {
    q.setPixelSize(clamp_pixel_size(-height));
  } else if (height > 0) {
    q.setPixelSize(clamp_pixel_size(height));
    const int cell = TextFontMetrics(q).height();
    if (cell > 0 && cell != height)
      q.setPixelSize(clamp_pixel_size(std::llround(double(height) * double(height) / double(cell))));
  } else {
    const int64_t ppi = font.pixels_per_inch > 0 ? font.pixels_per_inch : 96;
    const int64_t points = font.size > 0 ? font.size : 12;
    q.setPixelSize(clamp_pixel_size((points * ppi + 36) / 72));
  }
  return q;
}

QFontMetrics TextFontMetrics(const QFont& font) {
  // Measured on an image, the device the text is drawn on.
  QImage device(1, 1, QImage::Format_RGB32);
  return QFontMetrics(font, &device);
}
