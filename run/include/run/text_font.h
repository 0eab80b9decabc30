// SPDX-License-Identifier: GPL-3.0-or-later
// The text watermark's font as the window's font dialog and the settings
// files hold it.
#pragma once

#include <cstdint>
#include <string>

class QFont;
class QFontMetrics;

enum TextFontStyle : uint8_t {
  kFontBold = 1,
  kFontItalic = 2,
  kFontUnderline = 4,
  kFontStrikeOut = 8,
};

enum TextFontPitch : uint8_t {
  kPitchDefault = 0,
  kPitchVariable = 1,
  kPitchFixed = 2,
};

struct TextFont {
  std::string name = "Arial Black";
  uint8_t charset = 0;  // ANSI
  // Colour value as held: red in bits 0-7, green 8-15, blue 16-23. The
  // start value is the system's window-text colour, 0x80000008, whose low
  // bytes stamp red 8, green 0, blue 0.
  int32_t color = int32_t(0x80000008u);
  // Negative: character height in pixels without internal leading.
  int32_t height = -19;
  uint8_t pitch = kPitchDefault;
  int32_t pixels_per_inch = 96;
  int32_t size = 14;  // points
  uint8_t style = 0;  // TextFontStyle bits
};

// The Qt font that renders the watermark text, for the run and for any
// preview, so that both give the same pixels whatever the desktop's font
// settings: no antialiasing (every glyph pixel fully black on the mask),
// full hinting.
//
// Face: a face the system has is used as named. For a missing one,
// fontconfig picks the substitute from a pattern that keeps what the name
// says: "Black" or "Heavy" asks for the heaviest weight, "Bold" for bold,
// "Light" or "Thin" for light, "Narrow" or "Condensed" for a condensed
// width; the record's style bits apply on top (bold at least bold).
//
// Height: a negative height is the character height without internal
// leading, which is Qt's pixel size (the em height). A positive height is the
// cell height (ascent + descent); the pixel size is scaled so that the
// measured height comes out at it. Height 0 takes the point size at the
// font's pixels per inch. Pixel sizes are held to 1..32768.
// The charset is kept in the settings only: Qt picks glyphs by script.
// Needs a QGuiApplication.
QFont MakeTextQFont(const TextFont& font);

// The font's metrics on the device the text is drawn on (a 32-bit image).
QFontMetrics TextFontMetrics(const QFont& font);
