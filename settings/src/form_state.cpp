// SPDX-License-Identifier: GPL-3.0-or-later
// The form-state store's file: the placement keys, then each stored
// property written by its type, read back the same way.
#include "settings/form_state.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "font_record.h"
#include "options_section.h"
#include "run/text_lines.h"
#include "settings/profile_file.h"
#include "stored_value_text.h"
#include "text_encoding.h"
#include "watermark_origin_section.h"

namespace {

std::string trimmed(std::string_view text) { return std::string(TrimProfileBlanks(text)); }

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

// The section a list of lines lives in: "%s.%s" from the section and the key.
std::string lines_section(const std::string& key) { return std::string(kFormStateSection) + "." + key; }

void write_lines(ProfileFile& profile, const std::string& key, const StoredLines& value) {
  const std::string section = lines_section(key);
  profile.EraseSection(section);
  const std::vector<std::string> lines = MemoTextLines(value.text);
  if (lines.empty()) return;
  profile.Write(section, "Count", std::to_string(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i)
    profile.Write(section, "Item" + std::to_string(i), trimmed(lines[i]));
}

void read_lines(const ProfileFile& profile, const std::string& key, StoredLines& value) {
  const std::string section = lines_section(key);
  auto count_text = read_value(profile, section, "Count");
  if (!count_text) return;
  // A count beyond the keys present would only add empty lines; a broken
  // file must not make the memo grow without end.
  const int64_t count =
      std::min<int64_t>(ParseStoredInteger(*count_text), int64_t(profile.KeyCount(section)));
  if (count <= 0) return;
  std::vector<std::string> lines;
  for (int64_t i = 0; i < count; ++i)
    lines.push_back(read_value(profile, section, "Item" + std::to_string(i)).value_or(""));
  value.text = MemoTextFromLines(lines);
}

void write_font(ProfileFile& profile, const std::string& key, const TextFont& font) {
  write_value(profile, key + "Charset", std::to_string(font.charset));
  write_value(profile, key + "Color", std::to_string(font.color));
  write_value(profile, key + "Height", std::to_string(font.height));
  write_value(profile, key + "Name", font.name);
  write_value(profile, key + "Pitch", FormatFontPitch(font.pitch));
  write_value(profile, key + "Size", std::to_string(font.size));
  write_value(profile, key + "Style", FormatFontStyle(font.style));
}

// Assigned in the order Charset, Color, Height, Name, Pitch, Size, Style:
// of height and size, the one read last decides.
void read_font(const ProfileFile& profile, const std::string& key, TextFont& font) {
  auto font_value = [&](const char* property) {
    return read_value(profile, kFormStateSection, key + property);
  };
  if (auto text = font_value("Charset")) font.charset = uint8_t(ParseStoredInteger(*text));
  if (auto text = font_value("Color")) font.color = ParseStoredInteger(*text);
  if (auto text = font_value("Height")) {
    font.height = ParseStoredInteger(*text);
    font.size = FontSizeFromHeight(font.height, font.pixels_per_inch);
  }
  if (auto text = font_value("Name"); text && !text->empty()) font.name = *text;
  if (auto text = font_value("Pitch")) font.pitch = ParseFontPitch(*text).value_or(font.pitch);
  if (auto text = font_value("Size")) {
    font.size = ParseStoredInteger(*text);
    font.height = FontHeightFromSize(font.size, font.pixels_per_inch);
  }
  if (auto text = font_value("Style")) font.style = ParseFontStyle(*text).value_or(font.style);
}

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

void write_property(ProfileFile& profile, const StoredProperty& property) {
  const std::string& key = property.key;
  std::visit(Overloaded{
                 [&](int32_t value) { write_value(profile, key, std::to_string(value)); },
                 [&](double value) { write_value(profile, key, FormatStoredFloat(value)); },
                 [&](bool value) { write_value(profile, key, FormatStoredBoolean(value)); },
                 [&](const std::string& value) { profile.Write(kFormStateSection, key, trimmed(value)); },
                 [&](const StoredLines& value) { write_lines(profile, key, value); },
                 [&](const TextFont& value) { write_font(profile, key, value); },
             },
             property.value);
}

void read_property(const ProfileFile& profile, StoredProperty& property) {
  const std::string& key = property.key;
  auto text = [&] { return read_value(profile, kFormStateSection, key); };
  std::visit(Overloaded{
                 [&](int32_t& value) {
                   if (auto read = text()) value = ParseStoredInteger(*read);
                 },
                 [&](double& value) {
                   if (auto read = text()) value = ParseStoredFloat(*read).value_or(value);
                 },
                 [&](bool& value) {
                   if (auto read = text()) value = ParseStoredBoolean(*read).value_or(value);
                 },
                 [&](std::string& value) {
                   if (auto read = text()) value = *read;
                 },
                 [&](StoredLines& value) { read_lines(profile, key, value); },
                 [&](TextFont& value) { read_font(profile, key, value); },
             },
             property.value);
}

}  // namespace

const StoredValue* StoredFormValues::Find(std::string_view key) const {
  for (const StoredProperty& property : properties)
    if (property.key == key) return &property.value;
  return nullptr;
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
  // Before the sections that are erased and written anew at the end of the
  // file, so that a file saved twice stays the same.
  const FrameMargins& m = placement.frame;
  profile.Write(kWindowSection, "FrameMargins", format_position(m.left, m.top, m.right, m.bottom));
  if (placement.file_dialog_width > 0 && placement.file_dialog_height > 0)
    profile.Write(
        kWindowSection, "FileDialogSize",
        std::to_string(placement.file_dialog_width) + "," + std::to_string(placement.file_dialog_height));
  for (const StoredProperty& property : values.properties) write_property(profile, property);
  SaveOptionsSection(profile, values.options);
  SaveWatermarkOriginSection(profile, values.watermark_origin);
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
  if (auto text = read_value(profile, kWindowSection, "FrameMargins")) {
    if (const auto m = parse_rect(*text)) {
      auto side = [](int value) { return std::clamp(value, 0, kMaxFrameMargin); };
      placement.frame = FrameMargins{side(m->left), side(m->top), side(m->right), side(m->bottom)};
    }
  }
  if (auto text = read_value(profile, kWindowSection, "FileDialogSize")) {
    const size_t comma = text->find(',');
    if (comma != std::string::npos) {
      auto side = [](const std::string& part) {
        return std::clamp(int(ParseStoredInteger(part)), kMinFileDialogSide, kMaxFileDialogSide);
      };
      placement.file_dialog_width = side(text->substr(0, comma));
      placement.file_dialog_height = side(text->substr(comma + 1));
    }
  }
  if (auto text = read_value(profile, kFormStateSection, "ShowCmd"))
    placement.show_cmd = ParseStoredInteger(*text);
  return placement;
}

void RestoreFormValues(const ProfileFile& profile, StoredFormValues& values) {
  for (StoredProperty& property : values.properties) read_property(profile, property);
  RestoreOptionsSection(profile, values.options);
  RestoreWatermarkOriginSection(profile, values.watermark_origin);
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
