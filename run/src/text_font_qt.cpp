// TextFont to QFont with the rendering fixed explicitly.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "run/text_font.h"

namespace {

constexpr int64_t kMaxPixelSize = 32768;

int clamp_pixel_size(int64_t size) { return int(std::clamp<int64_t>(size, 1, kMaxPixelSize)); }

}  // namespace

QFont MakeTextQFont(const TextFont& font) {
  QFont q;
  q.setFamily(QString::fromStdString(font.name));
  // PreferAntialias and NoSubpixelAntialias: greyscale edges only, the same
  // under every platform plugin and desktop setting; full hinting so stems
  // snap to whole pixels and come out solid black.
  QFont::StyleStrategy strategy = QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias);
  if (font.pitch == kPitchFixed) {
    q.setFixedPitch(true);
    q.setStyleHint(QFont::TypeWriter, strategy);
  } else {
    q.setStyleStrategy(strategy);
  }
  q.setHintingPreference(QFont::PreferFullHinting);
  q.setBold((font.style & kFontBold) != 0);
  q.setItalic((font.style & kFontItalic) != 0);
  q.setUnderline((font.style & kFontUnderline) != 0);
  q.setStrikeOut((font.style & kFontStrikeOut) != 0);

  const int64_t height = font.height;
  if (height < 0) {
    q.setPixelSize(clamp_pixel_size(-height));
  } else if (height > 0) {
    q.setPixelSize(clamp_pixel_size(height));
    // Measure on an image, the device the text is drawn on.
    QImage device(1, 1, QImage::Format_RGB32);
    const int cell = QFontMetrics(q, &device).height();
    if (cell > 0 && cell != height)
      q.setPixelSize(clamp_pixel_size(std::llround(double(height) * double(height) / double(cell))));
  } else {
    const int64_t ppi = font.pixels_per_inch > 0 ? font.pixels_per_inch : 96;
    const int64_t points = font.size > 0 ? font.size : 12;
    q.setPixelSize(clamp_pixel_size((points * ppi + 36) / 72));
  }
  return q;
}
