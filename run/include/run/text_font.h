// The text watermark's font as the window's font dialog and the settings
// files hold it.
#pragma once

#include <cstdint>
#include <string>

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
