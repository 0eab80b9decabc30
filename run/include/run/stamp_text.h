// Renders the text watermark and blends its colour into a 24-bit image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/text_font.h"

struct TextStampSettings {
  std::string text;       // the memo's text, lines separated by line breaks (UTF-8)
  TextFont font;
  int position = 4;       // placement index 0..8
  int64_t margin = 20;    // pixels
  int transparency = 75;  // 0..100
};

// The memo's lines as the memo reports them: an empty last line does not
// count; each line is cut at 4096 characters.
std::vector<std::string> MemoLines(const std::string& text);

// image is a 24-bit record; anything else is left alone. Needs a Qt
// application object (QGuiApplication) on the calling thread.
void StampText(TDibImage& image, const TextStampSettings& settings);
