// SPDX-License-Identifier: GPL-3.0-or-later
// The pass draws into a mask that covers only where glyphs can land. These
// tests draw the same lines into a mask of the image's full size, the plain
// way, and demand the same image bytes.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstring>

#include "image/dib_access.h"
#include "run/stamp_text.h"

namespace stamptest {
void ensure_gui_application();
}

namespace {

// Every line drawn at (left, top + i * height) on its white cell into a
// white W x H mask.
QImage full_mask(const TextStampSettings& s, int w, int h) {
  QImage mask(w, h, QImage::Format_RGB32);
  mask.fill(0xFFFFFFFFu);
  const TextBlockLayout layout = LayOutTextBlock(s, w, h);
  if (!layout.place.valid) return mask;
  QPainter painter(&mask);
  painter.setFont(MakeTextQFont(s.font));
  painter.setPen(Qt::black);
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    const int x = int(layout.place.left);
    const int y = int(layout.place.top + int64_t(i) * layout.line_height);
    painter.fillRect(QRect(x, y, int(layout.line_widths[i]), int(layout.line_height)), Qt::white);
    painter.drawText(QPoint(x, y + int(layout.ascent)), QString::fromStdString(layout.lines[i]));
  }
  return mask;
}

// The pass written plainly: every pixel of the full mask checked.
std::vector<uint8_t> reference_stamp(const TextStampSettings& s, int w, int h,
                                     const std::vector<uint8_t>& start, int* black_pixels, int* grey_pixels) {
  const QImage mask = full_mask(s, w, h);
  std::vector<uint8_t> out = start;
  const int row_bytes = (3 * w + 3) / 4 * 4;
  const uint32_t c = uint32_t(s.font.color);
  const unsigned t = unsigned(s.transparency), u = 100 - t;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t m = mask.pixel(x, y) & 0xFFFFFFu;
      if (m != 0) {
        if (m != 0xFFFFFFu) ++*grey_pixels;
        continue;
      }
      ++*black_pixels;
      uint8_t* p = out.data() + size_t(h - 1 - y) * size_t(row_bytes) + 3 * size_t(x);
      p[0] = uint8_t((p[0] * t + ((c >> 16) & 255) * u) / 100);
      p[1] = uint8_t((p[1] * t + ((c >> 8) & 255) * u) / 100);
      p[2] = uint8_t((p[2] * t + (c & 255) * u) / 100);
    }
  }
  return out;
}

// A picture with varied bytes, so every blend term shows.
TDibImage striped_image(int w, int h) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      setpixel(&d, x, y, uint32_t((x * 5) & 255) | uint32_t((y * 9) & 255) << 8 | 0xC00000u);
  return d;
}

class StampTextMaskTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { stamptest::ensure_gui_application(); }
};

}  // namespace

TEST_F(StampTextMaskTest, ItalicAccentedCapitalsMatchTheFullMaskEverywhere) {
  struct Face {
    const char* name;
    uint8_t style;
  };
  const Face faces[] = {{"DejaVu Sans", kFontItalic},
                        {"Liberation Serif", kFontItalic},
                        {"DejaVu Serif", kFontItalic | kFontBold | kFontUnderline | kFontStrikeOut}};
  const int w = 150, h = 70;
  int total_black = 0, total_grey = 0;
  for (const Face& face : faces) {
    for (int position = 0; position < 9; ++position) {
      for (int64_t margin : {-6, 4}) {
        TextStampSettings s;
        s.text =
            "\xC3\x84\xC3\x96\xC3\x9C \xC3\x89\xC3\x88\n\n\xC3\x85gj \xC3\x87\xC3\x91 fff";  // ÄÖÜ ÉÈ / / Ågj
                                                                                             // ÇÑ fff
        s.font.name = face.name;
        s.font.style = face.style;
        s.font.height = -26;
        s.font.color = 0x123456;
        s.position = position;
        s.margin = margin;
        s.transparency = 30;
        TDibImage d = striped_image(w, h);
        const std::vector<uint8_t> start(d.Bits, d.Bits + size_t(d.RowBytes) * h);
        const std::vector<uint8_t> expected = reference_stamp(s, w, h, start, &total_black, &total_grey);
        StampText(d, s);
        const std::vector<uint8_t> got(d.Bits, d.Bits + size_t(d.RowBytes) * h);
        EXPECT_EQ(got, expected) << face.name << " position " << position << " margin " << margin;
        deldib(&d);
      }
    }
  }
  // The block is taller than the image and cut off, but plenty is drawn,
  // and drawn without antialiasing: no mask pixel is grey.
  EXPECT_GT(total_black, 1000);
  EXPECT_EQ(total_grey, 0);
}

TEST_F(StampTextMaskTest, GlyphPixelsAreStampedWholeInThePureColour) {
  TextStampSettings s;
  s.text = "Wasserzeichen\nogl";
  s.font.name = "Liberation Sans";
  s.font.height = -22;
  s.font.color = 0x0000FF;  // pure red
  s.position = 4;
  s.transparency = 0;
  const int w = 200, h = 80;
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  std::memset(d.Bits, 0xFF, size_t(d.RowBytes) * h);
  StampText(d, s);
  const QImage mask = full_mask(s, w, h);
  int grey = 0, red = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t m = mask.pixel(x, y) & 0xFFFFFFu;
      const uint32_t v = getpixel(&d, x, y);
      // Each pixel is either untouched or the pure colour, never a mix.
      ASSERT_EQ(v, m == 0 ? 0x0000FFu : 0xFFFFFFu) << x << "," << y;
      grey += (m != 0 && m != 0xFFFFFFu);
      red += (m == 0);
    }
  }
  EXPECT_EQ(grey, 0);
  EXPECT_GT(red, 300);
  deldib(&d);
}

// The start settings' text on a white picture: the stamp takes in the
// pixels that the same face covers when drawn with antialiasing, its thin
// and diagonal strokes included, where a smoothed mask kept little more
// than a third of them (only its exactly black pixels count).
TEST_F(StampTextMaskTest, StartSettingsStampTheGlyphsWhole) {
  TextStampSettings s;  // "Arial Black" -19, "Zentriert", margin 20, transparency 75
  s.text = "Wasserzeichen 2024";
  const int w = 320, h = 60;
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  std::memset(d.Bits, 0xFF, size_t(d.RowBytes) * h);
  StampText(d, s);

  // The same face, size and place, drawn the usual smoothed way.
  QFont smooth = MakeTextQFont(s.font);
  smooth.setStyleStrategy(QFont::PreferAntialias);
  QImage drawn(w, h, QImage::Format_RGB32);
  drawn.fill(0xFFFFFFFFu);
  const TextBlockLayout layout = LayOutTextBlock(s, w, h);
  ASSERT_TRUE(layout.place.valid);
  {
    QPainter painter(&drawn);
    painter.setFont(smooth);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(int(layout.place.left), int(layout.place.top + layout.ascent)),
                     QString::fromStdString(s.text));
  }
  int glyph_pixels = 0, dark_pixels = 0, stamped = 0, dark_stamped = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int coverage = 255 - qGray(drawn.pixel(x, y));
      const bool is_stamped = getpixel(&d, x, y) != 0xFFFFFFu;
      glyph_pixels += coverage > 0;
      dark_pixels += coverage >= 192;
      stamped += is_stamped;
      dark_stamped += coverage >= 192 && is_stamped;
    }
  }
  ASSERT_GT(glyph_pixels, 300);
  // Smoothed edges reach a little further than the glyphs' own pixels; of
  // the pixels that are at least three quarters covered, hardly any is
  // missing (the hinting of whole-pixel glyphs shifts a stroke edge here
  // and there).
  EXPECT_GE(stamped * 100, glyph_pixels * 65) << stamped << " of " << glyph_pixels;
  EXPECT_GE(dark_stamped * 100, dark_pixels * 90) << dark_stamped << " of " << dark_pixels;
  deldib(&d);
}
