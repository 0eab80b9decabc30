// The form-state store's file text. Values are written as the platform's
// component streaming writes them (numbers in the shortest general form with
// "." under every locale, "True"/"False", sets as "[a,b]") and read back the
// same way whatever the locale, so a file moves between machines unchanged.
#include "settings/form_state.h"

#include <charconv>
#include <cstdlib>
#include <limits>

#include "font_record.h"
#include "options_section.h"
#include "settings/profile_file.h"
#include "text_encoding.h"

namespace {

constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr const char* kPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

std::string trimmed(std::string_view text) { return std::string(TrimProfileBlanks(text)); }

bool same_text(std::string_view a, std::string_view b) { return SameProfileName(a, b); }

// Values come back as this system's text; a file written where the 8-bit
// code page is Windows-1252 reads too.
std::optional<std::string> read_value(const ProfileFile& profile, std::string_view section,
                                      std::string_view key) {
  auto value = profile.Read(section, key);
  if (!value) return std::nullopt;
  return trimmed(DecodeSettingBytes(*value));
}

// An empty value is not written, except for the texts of the lists.
void write_value(ProfileFile& profile, std::string_view key, const std::string& value) {
  const std::string text = trimmed(value);
  if (!text.empty()) profile.Write(kFormStateSection, key, text);
}

std::string format_position(int a, int b, int c, int d) {
  return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
}

std::optional<WindowRect> parse_rect(const std::string& text) {
  int values[4];
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    while (at < end && *at == ' ') ++at;
    const auto [next, error] = std::from_chars(at, end, values[i]);
    if (error != std::errc()) return std::nullopt;
    at = next;
    while (at < end && *at == ' ') ++at;
    if (i < 3) {
      if (at == end || *at != ',') return std::nullopt;
      ++at;
    }
  }
  if (at != end) return std::nullopt;
  return WindowRect{values[0], values[1], values[2], values[3]};
}

std::string screen_key(const char* key, const ScreenMetrics& screen) {
  return std::string(key) + "(" + std::to_string(screen.width) + "x" + std::to_string(screen.height) + ")";
}

// The key for this screen size wins over the plain one.
std::optional<std::string> read_screen_value(const ProfileFile& profile, const char* key,
                                             const ScreenMetrics& screen) {
  if (auto value = read_value(profile, kFormStateSection, screen_key(key, screen))) return value;
  return read_value(profile, kFormStateSection, key);
}

std::optional<bool> parse_boolean(const std::string& text) {
  if (same_text(text, "True")) return true;
  if (same_text(text, "False")) return false;
  return std::nullopt;
}

void restore_font(const ProfileFile& profile, TextFont& font) {
  auto font_value = [&](const char* property) {
    return read_value(profile, kFormStateSection, std::string("FontDialog1_Font") + property);
  };
  if (auto text = font_value("Charset")) font.charset = uint8_t(ParseStoredInteger(*text));
  if (auto text = font_value("Color")) font.color = ParseStoredInteger(*text);
  if (auto text = font_value("Height")) {
    font.height = ParseStoredInteger(*text);
    font.size = FontSizeFromHeight(font.height, font.pixels_per_inch);
  }
  if (auto text = font_value("Name"); text && !text->empty()) font.name = *text;
  if (auto text = font_value("Pitch")) {
    for (uint8_t pitch = 0; pitch < 3; ++pitch)
      if (same_text(*text, kPitchNames[pitch])) font.pitch = pitch;
  }
  if (auto text = font_value("Size")) {
    font.size = ParseStoredInteger(*text);
    font.height = FontHeightFromSize(font.size, font.pixels_per_inch);
  }
  if (auto text = font_value("Style")) {
    if (auto style = ParseFontStyle(*text)) font.style = *style;
  }
}

}  // namespace

std::string FormatStoredFloat(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

std::optional<double> ParseStoredFloat(const std::string& text) {
  const std::string value = trimmed(text);
  const char* begin = value.data();
  const char* end = begin + value.size();
  if (begin != end && *begin == '+') ++begin;  // from_chars refuses the plus sign
  double parsed = 0;
  const auto [next, error] = std::from_chars(begin, end, parsed);
  if (error != std::errc() || next != end || begin == end) return std::nullopt;
  return parsed;
}

int32_t ParseStoredInteger(const std::string& text) {
  const std::string value = trimmed(text);
  const char* begin = value.data();
  const char* end = begin + value.size();
  if (begin != end && *begin == '+') ++begin;
  int32_t parsed = 0;
  const auto [next, error] = std::from_chars(begin, end, parsed);
  if (error != std::errc() || next != end || begin == end) return 0;
  return parsed;
}

std::string FormatFontStyle(uint8_t style) {
  std::string text = "[";
  for (int bit = 0; bit < 4; ++bit) {
    if ((style & (1 << bit)) == 0) continue;
    if (text.size() > 1) text += ",";
    text += kFontStyleNames[bit];
  }
  return text + "]";
}

std::optional<uint8_t> ParseFontStyle(const std::string& text) {
  std::string value = trimmed(text);
  if (value.size() < 2 || value.front() != '[' || value.back() != ']') return std::nullopt;
  value = value.substr(1, value.size() - 2);
  uint8_t style = 0;
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    const std::string name = trimmed(std::string_view(value).substr(start, comma - start));
    if (!name.empty()) {
      int bit = 0;
      while (bit < 4 && !same_text(name, kFontStyleNames[bit])) ++bit;
      if (bit == 4) return std::nullopt;  // names no style: the font keeps its own
      style = uint8_t(style | (1 << bit));
    } else if (comma < value.size()) {
      return std::nullopt;
    }
    start = comma + 1;
  }
  return style;
}

std::vector<std::string> MemoTextLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string MemoTextFromLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  // A last empty line needs its own break to stay a line.
  if (!lines.empty() && lines.back().empty()) text += '\n';
  return text;
}

void SaveFormState(ProfileFile& profile, const FormPlacement& placement, const ScreenMetrics& screen,
                   const StoredFormValues& values) {
  profile.Write(kFormStateSection, "FormVersion", "0");
  profile.Write(kFormStateSection, "Flags", std::to_string(placement.flags));
  profile.Write(kFormStateSection, "ShowCmd", std::to_string(placement.show_cmd));
  profile.Write(kFormStateSection, "PixelsPerInch", std::to_string(screen.pixels_per_inch));
  const std::string min_max =
      format_position(placement.min_x, placement.min_y, placement.max_x, placement.max_y);
  profile.Write(kFormStateSection, "MinMaxPos", min_max);
  profile.Write(kFormStateSection, screen_key("MinMaxPos", screen), min_max);
  const WindowRect& r = placement.normal;
  const std::string normal = format_position(r.left, r.top, r.right, r.bottom);
  profile.Write(kFormStateSection, "NormPos", normal);
  profile.Write(kFormStateSection, screen_key("NormPos", screen), normal);
  profile.Write(kFormStateSection, "Visible", placement.destroying ? "1" : "0");

  const TextFont& font = values.font;
  write_value(profile, "FontDialog1_FontCharset", std::to_string(font.charset));
  write_value(profile, "FontDialog1_FontColor", std::to_string(font.color));
  write_value(profile, "FontDialog1_FontHeight", std::to_string(font.height));
  write_value(profile, "FontDialog1_FontName", font.name);
  write_value(profile, "FontDialog1_FontPitch", kPitchNames[font.pitch < 3 ? font.pitch : 0]);
  write_value(profile, "FontDialog1_FontSize", std::to_string(font.size));
  write_value(profile, "FontDialog1_FontStyle", FormatFontStyle(font.style));

  profile.EraseSection(kMemoLinesSection);
  const std::vector<std::string> lines = MemoTextLines(values.memo_text);
  if (!lines.empty()) {
    profile.Write(kMemoLinesSection, "Count", std::to_string(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i)
      profile.Write(kMemoLinesSection, "Item" + std::to_string(i), trimmed(lines[i]));
  }

  write_value(profile, "RandEd_Value", FormatStoredFloat(values.text_margin));
  write_value(profile, "RandEd2_Value", FormatStoredFloat(values.picture_margin));
  profile.Write(kFormStateSection, "Position1_Text", trimmed(values.text_position));
  profile.Write(kFormStateSection, "Position2_Text", trimmed(values.picture_position));
  write_value(profile, "TrackBar1_Position", std::to_string(values.text_transparency));
  write_value(profile, "TrackBar2_Position", std::to_string(values.picture_transparency));
  write_value(profile, "jpeged_Value", FormatStoredFloat(values.jpeg_quality));
  write_value(profile, "AddTextCheck_Checked", values.add_text ? "True" : "False");
  write_value(profile, "AddPicCheck_Checked", values.add_picture ? "True" : "False");
  SaveOptionsSection(profile, values.options);
}

RestoredPlacement ReadFormPlacement(const ProfileFile& profile, const ScreenMetrics& screen) {
  RestoredPlacement placement;
  if (auto version = read_value(profile, kFormStateSection, "FormVersion"))
    placement.restore = ParseStoredInteger(*version) >= 0;
  if (!placement.restore) return placement;
  int pixels_per_inch = screen.pixels_per_inch;
  if (auto text = read_value(profile, kFormStateSection, "PixelsPerInch"))
    pixels_per_inch = ParseStoredInteger(*text);
  if (auto text = read_screen_value(profile, "NormPos", screen)) {
    const auto rect = parse_rect(*text);
    if (rect && pixels_per_inch == screen.pixels_per_inch && rect->left < rect->right)
      placement.normal = rect;
  }
  if (auto text = read_value(profile, kFormStateSection, "ShowCmd"))
    placement.show_cmd = ParseStoredInteger(*text);
  return placement;
}

void RestoreFormValues(const ProfileFile& profile, StoredFormValues& values) {
  restore_font(profile, values.font);

  if (auto count_text = read_value(profile, kMemoLinesSection, "Count")) {
    // A count beyond the keys present would only add empty lines; a broken
    // file must not make the memo grow without end.
    const int64_t count =
        std::min<int64_t>(ParseStoredInteger(*count_text), int64_t(profile.KeyCount(kMemoLinesSection)));
    if (count > 0) {
      std::vector<std::string> lines;
      for (int64_t i = 0; i < count; ++i)
        lines.push_back(read_value(profile, kMemoLinesSection, "Item" + std::to_string(i)).value_or(""));
      values.memo_text = MemoTextFromLines(lines);
    }
  }

  auto value = [&](const char* key) { return read_value(profile, kFormStateSection, key); };
  if (auto text = value("RandEd_Value"))
    values.text_margin = ParseStoredFloat(*text).value_or(values.text_margin);
  if (auto text = value("RandEd2_Value"))
    values.picture_margin = ParseStoredFloat(*text).value_or(values.picture_margin);
  if (auto text = value("Position1_Text")) values.text_position = *text;
  if (auto text = value("Position2_Text")) values.picture_position = *text;
  if (auto text = value("TrackBar1_Position")) values.text_transparency = ParseStoredInteger(*text);
  if (auto text = value("TrackBar2_Position")) values.picture_transparency = ParseStoredInteger(*text);
  if (auto text = value("jpeged_Value"))
    values.jpeg_quality = ParseStoredFloat(*text).value_or(values.jpeg_quality);
  if (auto text = value("AddTextCheck_Checked"))
    values.add_text = parse_boolean(*text).value_or(values.add_text);
  if (auto text = value("AddPicCheck_Checked"))
    values.add_picture = parse_boolean(*text).value_or(values.add_picture);
  RestoreOptionsSection(profile, values.options);
}

std::string FormStatePath(const std::string& program_file) {
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    config = std::string(home) + "/.config";
  } else {
    return {};
  }
  // The program file's name with its extension replaced by ".INI".
  std::string name = program_file.substr(program_file.find_last_of('/') + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty()) name = "stempora";
  return config + "/stempora/" + name + ".INI";
}
