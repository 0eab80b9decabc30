// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "run/output_formats.h"
#include "settings/profile_file.h"
#include "stored_value_text.h"

namespace {

constexpr uint8_t kPictureRelatives = 1 << 0 | 1 << 1 | 1 << 2;  // none, image width, shorter side
constexpr uint8_t kTextRelatives = 1 << 0 | 1 << 3;              // none, image height
constexpr const char* kRelativeNames[] = {"None", "ImageWidth", "ShorterSide", "ImageHeight"};

// Ranges: percentages of a size up to ten times it, angles up to ten
// turns either way, gaps up to a million (pixels or percent), outline and
// blur and shadow offsets as far as the text pass takes them. Wider values
// are typing errors, and a limit keeps every pass's counts and sums small.
constexpr double kPercentMax = 1000;
constexpr double kMarginPercentMax = 100;
constexpr double kAngleMax = 3600;
constexpr double kGapMax = 1e6;
constexpr double kColorMin = -2147483648.0, kColorMax = 2147483647.0;

#define FLAG(member) FlagField([](WatermarkOptions& o) -> bool& { return o.member; })
#define INTEGER(member) IntegerField([](WatermarkOptions& o) -> int32_t& { return o.member; })
#define NUMBER(member) NumberField([](WatermarkOptions& o) -> double& { return o.member; })
#define RELATIVE(member) RelativeField([](WatermarkOptions& o) -> RelativeTo& { return o.member; })
#define TEXT(member) TextField([](WatermarkOptions& o) -> std::string& { return o.member; })
// The enumerations are one byte each; a byte may stand for any object.
#define CHOICE(member, names)                                                                   \
  ChoiceField {                                                                                 \
    [](WatermarkOptions& o) -> uint8_t& { return reinterpret_cast<uint8_t&>(o.member); }, names \
  }

// Names in the section, in the order of the enumerations' values.
constexpr const char* kSizeModeNames[] = {"None",   "LongEdge", "ShortEdge", "Width",
                                          "Height", "Box",      "Percent",   "Megapixels"};
constexpr const char* kChromaNames[] = {"Default", "444", "422", "420", "Same"};
constexpr const char* kTargetNames[] = {"Subfolder", "TargetFolder"};
constexpr const char* kIfExistsNames[] = {"Replace", "Skip", "Rename"};
constexpr const char* kMetadataNames[] = {"All", "WithoutGpsAndSerials", "None"};
constexpr const char* kSharpenNames[] = {"None", "Low", "Standard", "High"};

// Sides up to a million pixels, percentages and megapixels up to a
// thousand: far past any picture the library holds.
constexpr double kSideMax = 1e6;
constexpr double kScaleMax = 1000;
// File-size caps in bytes, up to what the field holds.
constexpr double kFileSizeMax = 2147483647.0;

const OptionField kFields[] = {
    {0x0101, "PictureKeepAlpha", FLAG(picture.keep_alpha)},
    {0x0102, "PictureRelative", RELATIVE(picture.relative), 0, kPictureRelatives},
    {0x0103, "PictureRelativePercent", NUMBER(picture.relative_percent), 0, kPercentMax},
    {0x0104, "PictureMarginInPercent", FLAG(picture.margin_in_percent)},
    {0x0105, "PictureMarginPercent", NUMBER(picture.margin_percent), -kMarginPercentMax, kMarginPercentMax},
    {0x0106, "PictureAngle", NUMBER(picture.angle), -kAngleMax, kAngleMax},
    {0x0107, "PictureTile", FLAG(picture.tile.enabled)},
    {0x0108, "PictureTileGapX", NUMBER(picture.tile.gap_x), 0, kGapMax},
    {0x0109, "PictureTileGapY", NUMBER(picture.tile.gap_y), 0, kGapMax},
    {0x010A, "PictureTileGapInPercent", FLAG(picture.tile.gap_in_percent)},
    {0x0201, "TextRelative", RELATIVE(text.relative), 0, kTextRelatives},
    {0x0202, "TextRelativePercent", NUMBER(text.relative_percent), 0, kPercentMax},
    {0x0203, "TextMarginInPercent", FLAG(text.margin_in_percent)},
    {0x0204, "TextMarginPercent", NUMBER(text.margin_percent), -kMarginPercentMax, kMarginPercentMax},
    {0x0205, "TextAngle", NUMBER(text.angle), -kAngleMax, kAngleMax},
    {0x0206, "TextTile", FLAG(text.tile.enabled)},
    {0x0207, "TextTileGapX", NUMBER(text.tile.gap_x), 0, kGapMax},
    {0x0208, "TextTileGapY", NUMBER(text.tile.gap_y), 0, kGapMax},
    {0x0209, "TextTileGapInPercent", FLAG(text.tile.gap_in_percent)},
    {0x020A, "TextOutline", FLAG(text.outline)},
    {0x020B, "TextOutlineWidth", INTEGER(text.outline_width), 0, kMaxOutlineWidth},
    {0x020C, "TextOutlineColor", INTEGER(text.outline_color), kColorMin, kColorMax},
    {0x020D, "TextShadow", FLAG(text.shadow)},
    {0x020E, "TextShadowDx", INTEGER(text.shadow_dx), -kMaxShadowOffset, kMaxShadowOffset},
    {0x020F, "TextShadowDy", INTEGER(text.shadow_dy), -kMaxShadowOffset, kMaxShadowOffset},
    {0x0210, "TextShadowBlur", INTEGER(text.shadow_blur), 0, kMaxShadowBlur},
    {0x0211, "TextShadowColor", INTEGER(text.shadow_color), kColorMin, kColorMax},
    {0x0212, "TextShadowTransparency", INTEGER(text.shadow_transparency), 0, 100},
    {0x0213, "TextSmooth", FLAG(text.smooth)},
    {0x0214, "TextVariables", FLAG(text.variables)},
    // Kept only when set: the files and sections written before these
    // existed hold gaps in pixels or in percent of the image.
    {0x010B, "PictureTileGapInMarkPercent", FLAG(picture.tile.gap_in_mark_percent), 0, 0, true},
    {0x0215, "TextTileGapInMarkPercent", FLAG(text.tile.gap_in_mark_percent), 0, 0, true},
    // How the outputs leave the run; each kept only when set, so a job
    // that never chose them keeps its bytes.
    {0x0301, "ExportSize", CHOICE(output.size.mode, kSizeModeNames), 0, 0, true},
    {0x0302, "ExportSizeEdge", INTEGER(output.size.edge), 1, kSideMax, true},
    {0x0303, "ExportSizeBoxWidth", INTEGER(output.size.box_width), 1, kSideMax, true},
    {0x0304, "ExportSizeBoxHeight", INTEGER(output.size.box_height), 1, kSideMax, true},
    {0x0305, "ExportSizePercent", NUMBER(output.size.percent), 0, kScaleMax, true},
    {0x0306, "ExportSizeMegapixels", NUMBER(output.size.megapixels), 0, kScaleMax, true},
    {0x0307, "ExportSizeEnlarge", FLAG(output.size.enlarge), 0, 0, true},
    {0x0308, "ExportFormat", CHOICE(output.format, kOutputFormatStoredNames), 0, 0, true},
    {0x0309, "ExportJpegQuality", INTEGER(output.jpeg.quality), 1, 100, true},
    {0x030A, "ExportJpegQualityFromSource", FLAG(output.jpeg.quality_from_source), 0, 0, true},
    {0x030B, "ExportJpegChroma", CHOICE(output.jpeg.chroma, kChromaNames), 0, 0, true},
    {0x030C, "ExportJpegProgressive", FLAG(output.jpeg.progressive), 0, 0, true},
    {0x030D, "ExportJpegOptimizeHuffman", FLAG(output.jpeg.optimize_huffman), 0, 0, true},
    {0x030E, "ExportPngCompression", INTEGER(output.png.compression), 0, 9, true},
    {0x030F, "ExportWebpQuality", INTEGER(output.webp.quality), 0, 100, true},
    {0x0310, "ExportWebpLossless", FLAG(output.webp.lossless), 0, 0, true},
    {0x0311, "ExportAvifQuality", INTEGER(output.avif.quality), 0, 100, true},
    {0x0312, "ExportAvifSpeed", INTEGER(output.avif.speed), 0, 10, true},
    {0x0313, "ExportMoreSources", FLAG(output.more_sources), 0, 0, true},
    {0x0314, "ExportTarget", CHOICE(output.target, kTargetNames), 0, 0, true},
    {0x0315, "ExportTargetFolder", TEXT(output.target_folder), 0, 0, true},
    {0x0316, "ExportNamePattern", TEXT(output.name_pattern), 0, 0, true},
    {0x0317, "ExportIfExists", CHOICE(output.if_exists, kIfExistsNames), 0, 0, true},
    {0x0318, "ExportMetadata", CHOICE(output.metadata, kMetadataNames), 0, 0, true},
    {0x0319, "ExportToSrgb", FLAG(output.convert_to_srgb), 0, 0, true},
    {0x031B, "ExportSharpen", CHOICE(output.sharpen, kSharpenNames), 0, 0, true},
    {0x031A, "ExportMaxFileSize", INTEGER(output.max_file_size), 0, kFileSizeMax, true},
    {0x0390, "KeepJpegBlocks", FLAG(output.keep_jpeg_blocks), 0, 0, true},
};

#undef FLAG
#undef INTEGER
#undef NUMBER
#undef RELATIVE
#undef TEXT
#undef CHOICE

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

double limited(const OptionField& field, double value) { return std::clamp(value, field.min, field.max); }

RelativeTo allowed_relative(const OptionField& field, int value) {
  const bool allowed = value >= 0 && value < 8 && (uint32_t(field.max) & (1u << value)) != 0;
  return allowed ? RelativeTo(value) : RelativeTo::kNone;
}

uint8_t known_choice(const ChoiceField& field, unsigned value) {
  return value < field.names.size() ? uint8_t(value) : 0;
}

bool holds_line_break(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

std::span<const OptionField> OptionFields() { return kFields; }

bool OptionFieldIsWritten(const OptionField& field, const WatermarkOptions& options) {
  return !field.only_when_set ||
         EncodeOptionValue(field, options) != EncodeOptionValue(field, WatermarkOptions{});
}

bool OptionFieldFitsSection(const OptionField& field, const WatermarkOptions& options) {
  if (const TextField* get = std::get_if<TextField>(&field.value)) {
    WatermarkOptions values = options;
    return !holds_line_break((*get)(values));
  }
  return true;
}

std::vector<uint8_t> EncodeOptionValue(const OptionField& field, const WatermarkOptions& options) {
  WatermarkOptions values = options;  // the accessors hand out references
  return std::visit(
      Overloaded{
          [&](FlagField get) { return std::vector<uint8_t>{uint8_t(get(values) ? 1 : 0)}; },
          [&](RelativeField get) { return std::vector<uint8_t>{uint8_t(get(values))}; },
          [&](ChoiceField choice) { return std::vector<uint8_t>{choice.get(values)}; },
          [&](TextField get) {
            const std::string& text = get(values);
            return std::vector<uint8_t>(text.begin(), text.end());
          },
          [&](IntegerField get) {
            const uint32_t v = uint32_t(get(values));
            return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
          },
          [&](NumberField get) {
            uint64_t v;
            const double number = get(values);
            std::memcpy(&v, &number, 8);
            std::vector<uint8_t> bytes(8);
            for (int i = 0; i < 8; ++i) bytes[size_t(i)] = uint8_t(v >> (8 * i));
            return bytes;
          },
      },
      field.value);
}

bool DecodeOptionValue(const OptionField& field, std::span<const uint8_t> payload,
                       WatermarkOptions& options) {
  return std::visit(Overloaded{
                        [&](FlagField get) {
                          if (payload.size() != 1) return false;
                          get(options) = payload[0] != 0;
                          return true;
                        },
                        [&](RelativeField get) {
                          if (payload.size() != 1) return false;
                          get(options) = allowed_relative(field, payload[0]);
                          return true;
                        },
                        [&](ChoiceField choice) {
                          if (payload.size() != 1) return false;
                          choice.get(options) = known_choice(choice, payload[0]);
                          return true;
                        },
                        [&](TextField get) {
                          if (payload.size() > kMaxOptionTextBytes) return false;
                          for (const uint8_t byte : payload)
                            if (byte == 0) return false;
                          get(options).assign(payload.begin(), payload.end());
                          return true;
                        },
                        [&](IntegerField get) {
                          if (payload.size() != 4) return false;
                          const int32_t v = int32_t(uint32_t(payload[0]) | uint32_t(payload[1]) << 8 |
                                                    uint32_t(payload[2]) << 16 | uint32_t(payload[3]) << 24);
                          get(options) = int32_t(limited(field, v));
                          return true;
                        },
                        [&](NumberField get) {
                          if (payload.size() != 8) return false;
                          uint64_t v = 0;
                          for (int i = 0; i < 8; ++i) v |= uint64_t(payload[size_t(i)]) << (8 * i);
                          double number;
                          std::memcpy(&number, &v, 8);
                          if (!std::isfinite(number)) return false;
                          get(options) = limited(field, number);
                          return true;
                        },
                    },
                    field.value);
}

std::string FormatOptionValue(const OptionField& field, const WatermarkOptions& options) {
  WatermarkOptions values = options;
  return std::visit(
      Overloaded{
          [&](FlagField get) { return std::string(FormatStoredBoolean(get(values))); },
          [&](RelativeField get) {
            const auto index = size_t(get(values));
            return std::string(index < std::size(kRelativeNames) ? kRelativeNames[index] : "None");
          },
          [&](ChoiceField choice) {
            return std::string(choice.names[known_choice(choice, choice.get(values))]);
          },
          [&](TextField get) { return "\"" + get(values) + "\""; },
          [&](IntegerField get) { return std::to_string(get(values)); },
          [&](NumberField get) { return FormatStoredFloat(get(values)); },
      },
      field.value);
}

void ParseOptionValue(const OptionField& field, const std::string& text, WatermarkOptions& options) {
  std::visit(Overloaded{
                 [&](FlagField get) { get(options) = ParseStoredBoolean(text).value_or(get(options)); },
                 [&](RelativeField get) {
                   for (size_t i = 0; i < std::size(kRelativeNames); ++i)
                     if (SameProfileName(text, kRelativeNames[i]))
                       get(options) = allowed_relative(field, int(i));
                 },
                 [&](ChoiceField choice) {
                   for (size_t i = 0; i < choice.names.size(); ++i)
                     if (SameProfileName(text, choice.names[i])) choice.get(options) = uint8_t(i);
                 },
                 [&](TextField get) {
                   // The section's reader took the quotes off already.
                   if (text.size() <= kMaxOptionTextBytes && text.find('\0') == std::string::npos)
                     get(options) = text;
                 },
                 [&](IntegerField get) {
                   if (std::optional<double> value = ParseStoredFloat(text); value && std::isfinite(*value))
                     get(options) = int32_t(limited(field, std::round(*value)));
                 },
                 [&](NumberField get) {
                   if (std::optional<double> value = ParseStoredFloat(text); value && std::isfinite(*value))
                     get(options) = limited(field, *value);
                 },
             },
             field.value);
}
