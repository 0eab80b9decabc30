// SPDX-License-Identifier: GPL-3.0-or-later
#include "mark_option.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The placement table's entries in their order; "fit" and "max" are the
// scaled ones, for pictures only.
constexpr std::string_view kPositions[] = {"top-left",    "top",    "top-right",    "left", "centre", "right",
                                           "bottom-left", "bottom", "bottom-right", "fit",  "max"};
constexpr std::pair<std::string_view, MarkBlend> kBlends[] = {{"normal", MarkBlend::kNormal},
                                                              {"multiply", MarkBlend::kMultiply},
                                                              {"screen", MarkBlend::kScreen},
                                                              {"overlay", MarkBlend::kOverlay},
                                                              {"soft-light", MarkBlend::kSoftLight}};
constexpr std::pair<std::string_view, MarkOrientation> kOrientations[] = {
    {"all", MarkOrientation::kAll},
    {"landscape", MarkOrientation::kLandscape},
    {"portrait", MarkOrientation::kPortrait}};
constexpr int kDefaultPosition = 8;  // bottom-right

struct Pair {
  std::string key;
  std::optional<std::string> value;  // none: a switch such as "tile"
};

// Splits at commas outside "\,", taking "\\" as one backslash; false for a
// backslash before anything else.
bool split_pairs(const std::string& text, std::vector<Pair>& pairs) {
  std::string part;
  std::vector<std::string> parts;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      if (i + 1 >= text.size() || (text[i + 1] != ',' && text[i + 1] != '\\')) return false;
      // Kept escaped until the key is split off, so "=" stays the first.
      part += text[++i] == ',' ? '\x01' : '\x02';
    } else if (text[i] == ',') {
      parts.push_back(std::move(part));
      part.clear();
    } else {
      part += text[i];
    }
  }
  parts.push_back(std::move(part));
  for (std::string& raw : parts) {
    for (char& c : raw) c = c == '\x01' ? ',' : c == '\x02' ? '\\' : c;
    const size_t equals = raw.find('=');
    if (equals == std::string::npos)
      pairs.push_back(Pair{raw, std::nullopt});
    else
      pairs.push_back(Pair{raw.substr(0, equals), raw.substr(equals + 1)});
  }
  return true;
}

bool parse_double(std::string_view text, double& value) {
  if (text.empty()) return false;
  auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && rest == text.data() + text.size() && std::isfinite(value);
}

bool parse_whole(std::string_view text, int low, int high, int& value) {
  auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && rest == text.data() + text.size() && value >= low &&
         value <= high;
}

// "N" pixels or "N%".
bool parse_margin(std::string_view text, MarkMargin& margin) {
  margin.percent = !text.empty() && text.back() == '%';
  if (margin.percent) text.remove_suffix(1);
  return parse_double(text, margin.value) && std::abs(margin.value) <= (margin.percent ? 100 : 1e6);
}

bool parse_percent(std::string_view text, double& value) {
  if (text.empty() || text.back() != '%') return false;
  text.remove_suffix(1);
  return parse_double(text, value) && value > 0 && value <= 1000;
}

bool parse_colour(std::string_view text, int32_t& colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  uint32_t rgb = 0;
  auto [rest, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
  if (error != std::errc() || rest != text.data() + 7) return false;
  // Red in bits 0-7, green 8-15, blue 16-23, as the font colour holds it.
  colour = int32_t(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  return true;
}

template <class Value, size_t N>
bool one_of(std::string_view text, const std::pair<std::string_view, Value> (&names)[N], Value& value) {
  for (const auto& [name, meaning] : names)
    if (text == name) {
      value = meaning;
      return true;
    }
  return false;
}

// What the settings of both kinds share, kept until the kind is known.
struct Common {
  int position = kDefaultPosition;
  std::optional<int> transparency;
  std::optional<double> size_percent;
  double angle = 0;
  bool tile = false;
  std::optional<double> tile_gap;
  bool keep_alpha = false;
};

bool takes_value(std::string_view key) {
  for (std::string_view known :
       {"picture", "text", "position", "margin", "margin-x", "margin-y", "size", "transparency", "blend",
        "angle", "tile-gap", "only", "font", "colour", "outline", "outline-colour"})
    if (key == known) return true;
  return false;
}

}  // namespace

MarkOptionRead ParseMarkOption(const std::string& text) {
  MarkOptionRead read;
  const auto fail = [&read](std::string reason) {
    read.error = "--mark: " + std::move(reason);
    return read;
  };
  std::vector<Pair> pairs;
  if (!split_pairs(text, pairs)) return fail("ein \\ steht nur vor , oder \\");
  MarkOption& given = read.given;
  FurtherMark& mark = given.mark;
  TextFont& font = mark.text_settings.font;
  TextOptions& text_options = mark.text_settings.options;
  std::optional<std::string> picture, words;
  Common common;
  bool text_only_key = false;
  for (const Pair& pair : pairs) {
    const std::string& key = pair.key;
    const bool is_switch = key == "tile" || key == "keep-alpha" || key == "bold" || key == "italic" ||
                           key == "shadow" || key == "smooth";
    if (is_switch && pair.value) return fail("\"" + key + "\" nimmt keinen Wert");
    if (!is_switch && !pair.value) {
      if (key.empty()) return fail("leerer Eintrag");
      if (!takes_value(key)) return fail("unbekannter Schlüssel \"" + key + "\"");
      return fail("\"" + key + "\" erwartet einen Wert");
    }
    const std::string value = pair.value.value_or("");
    const auto bad = [&](const char* expects) {
      return fail("\"" + key + "\" erwartet " + expects + ", nicht \"" + value + "\"");
    };
    if (key == "picture") {
      if (value.empty()) return bad("einen Pfad");
      picture = value;
    } else if (key == "text") {
      words = value;
    } else if (key == "position") {
      common.position = -1;
      for (size_t i = 0; i < std::size(kPositions); ++i)
        if (value == kPositions[i]) common.position = int(i);
      if (common.position < 0)
        return bad(
            "top-left, top, top-right, left, centre, right, bottom-left, bottom, "
            "bottom-right, fit oder max");
    } else if (key == "margin" || key == "margin-x" || key == "margin-y") {
      MarkMargin margin;
      if (!parse_margin(value, margin)) return bad("N Pixel oder N%");
      if (key != "margin-y") mark.margin_x = margin;
      if (key != "margin-x") mark.margin_y = margin;
    } else if (key == "size") {
      double percent = 0;
      if (!parse_percent(value, percent)) return bad("N% über 0 bis 1000%");
      common.size_percent = percent;
    } else if (key == "transparency") {
      int transparency = 0;
      if (!parse_whole(value, 0, 100, transparency)) return bad("eine Zahl von 0 bis 100");
      common.transparency = transparency;
    } else if (key == "blend") {
      if (!one_of(value, kBlends, mark.blend))
        return bad("normal, multiply, screen, overlay oder soft-light");
    } else if (key == "angle") {
      if (!parse_double(value, common.angle) || std::abs(common.angle) > 360)
        return bad("Grad von -360 bis 360");
    } else if (key == "tile") {
      common.tile = true;
    } else if (key == "tile-gap") {
      double gap = 0;
      if (!parse_percent(value, gap)) return bad("N% über 0 bis 1000%");
      common.tile_gap = gap;
    } else if (key == "keep-alpha") {
      common.keep_alpha = true;
    } else if (key == "only") {
      if (!one_of(value, kOrientations, mark.only)) return bad("all, landscape oder portrait");
    } else {
      text_only_key = true;
      if (key == "font") {
        if (value.empty()) return bad("eine Schriftfamilie");
        font.name = value;
      } else if (key == "bold") {
        font.style |= kFontBold;
      } else if (key == "italic") {
        font.style |= kFontItalic;
      } else if (key == "colour") {
        if (!parse_colour(value, font.color)) return bad("#RRGGBB");
      } else if (key == "outline") {
        int width = 0;
        if (!parse_whole(value, 0, kMaxOutlineWidth, width)) return bad("eine Zahl von 0 bis 255");
        text_options.outline = true;
        text_options.outline_width = width;
      } else if (key == "outline-colour") {
        if (!parse_colour(value, text_options.outline_color)) return bad("#RRGGBB");
      } else if (key == "shadow") {
        text_options.shadow = true;
      } else if (key == "smooth") {
        text_options.smooth = true;
      } else {
        return fail("unbekannter Schlüssel \"" + key + "\"");
      }
    }
  }
  if (picture.has_value() == words.has_value())
    return fail("braucht genau eines von picture=PFAD und text=TEXT");
  mark.is_text = words.has_value();
  if (!mark.is_text && text_only_key)
    return fail("font, bold, italic, colour, outline, shadow und smooth gelten nur für Text");
  if (mark.is_text && common.position > 8) return fail("fit und max gelten nur für Bilder");
  if (mark.is_text && common.keep_alpha) return fail("keep-alpha gilt nur für Bilder");

  TileOptions tile;
  tile.enabled = common.tile;
  // The window's gaps for a tiling switched on without any: half the mark.
  tile.gap_x = tile.gap_y = common.tile_gap.value_or(kNewTileGapMarkPercent);
  tile.gap_in_mark_percent = common.tile;
  if (mark.is_text) {
    TextStampSettings& settings = mark.text_settings;
    settings.text = *words;
    settings.position = common.position;
    settings.transparency = common.transparency.value_or(75);
    text_options.variables = true;
    text_options.angle = common.angle;
    text_options.tile = tile;
    if (common.size_percent) {
      text_options.relative = RelativeTo::kImageHeight;
      text_options.relative_percent = *common.size_percent;
    }
  } else {
    PictureStampSettings& settings = mark.picture_settings;
    settings.position = common.position;
    settings.transparency = common.transparency.value_or(50);
    PictureOptions& options = settings.options;
    options.keep_alpha = common.keep_alpha;
    options.angle = common.angle;
    options.tile = tile;
    if (common.size_percent) {
      options.relative = RelativeTo::kImageWidth;
      options.relative_percent = *common.size_percent;
    }
    given.picture_path = *picture;
    given.keep_alpha = common.keep_alpha;
  }
  return read;
}
