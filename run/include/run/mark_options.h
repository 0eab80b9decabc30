// SPDX-License-Identifier: GPL-3.0-or-later
// The marks' options past the plain stamping passes: a picture's own
// transparency, sizes relative to the image, rotation and tiling, legible
// text and text variables. Every option is off by default; with all of them off the
// passes give exactly the plain pixels.
#pragma once

#include <cstdint>

enum class RelativeTo : uint8_t {
  kNone = 0,         // sizes as the plain passes take them
  kImageWidth = 1,   // picture: its width as a percentage of the image width
  kShorterSide = 2,  // picture: its width as a percentage of the image's shorter side
  kImageHeight = 3,  // text: the character height as a percentage of the image height
};

// Repetition over the whole image in a grid; every other row is offset by
// half a step, and the whole grid is turned by the mark's angle.
struct TileOptions {
  bool enabled = false;
  double gap_x = 0;  // between neighbouring marks, in pixels unless one of the flags says otherwise
  double gap_y = 0;
  bool gap_in_percent = false;  // of the image width (gap_x) and height (gap_y)
  // Of the mark's own width (gap_x) and height (gap_y); before
  // gap_in_percent. A job that never set it keeps its gaps as they were.
  bool gap_in_mark_percent = false;
  bool operator==(const TileOptions&) const = default;
};

// The gaps the window offers when tiling is switched on with none set: half
// the mark's size each way, so repeated marks never run into each other.
inline constexpr double kNewTileGapMarkPercent = 50;

struct PictureOptions {
  bool keep_alpha = false;  // blend by the picture's own alpha channel
  RelativeTo relative = RelativeTo::kNone;
  double relative_percent = 20;
  bool margin_in_percent = false;  // margin as a percentage of the image's shorter side
  double margin_percent = 2;
  double angle = 0;  // degrees, counter-clockwise, around the mark's centre
  TileOptions tile;
  bool operator==(const PictureOptions&) const = default;
  bool any() const {
    return keep_alpha || relative != RelativeTo::kNone || margin_in_percent || angle != 0 || tile.enabled;
  }
};

// What an outline and a shadow may take: widths and the blur radius in
// pixels up to 255, offsets in pixels up to 10000 either way.
inline constexpr int kMaxOutlineWidth = 255;
inline constexpr int kMaxShadowBlur = 255;
inline constexpr int kMaxShadowOffset = 10000;

struct TextOptions {
  RelativeTo relative = RelativeTo::kNone;  // kImageHeight or kNone
  double relative_percent = 5;
  bool margin_in_percent = false;
  double margin_percent = 2;
  double angle = 0;
  TileOptions tile;
  bool outline = false;
  int outline_width = 1;             // pixels, 0 .. kMaxOutlineWidth
  int32_t outline_color = 0xFFFFFF;  // red in bits 0-7, green 8-15, blue 16-23
  bool shadow = false;
  int shadow_dx = 2, shadow_dy = 2;  // -kMaxShadowOffset .. kMaxShadowOffset
  int shadow_blur = 2;               // radius in pixels, 0 .. kMaxShadowBlur
  int32_t shadow_color = 0;
  int shadow_transparency = 50;  // 0..100
  bool smooth = false;           // blend by glyph coverage
  bool variables = false;        // replace {Datei}, {Datum}, ... per source
  bool operator==(const TextOptions&) const = default;
  bool any() const {
    return relative != RelativeTo::kNone || margin_in_percent || angle != 0 || tile.enabled || outline ||
           shadow || smooth || variables;
  }
};
