// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

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
    {0x0390, "KeepJpegBlocks", FLAG(output.keep_jpeg_blocks), 0, 0, true},
};

#undef FLAG
#undef INTEGER
#undef NUMBER
#undef RELATIVE

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

}  // namespace

std::span<const OptionField> OptionFields() { return kFields; }

bool OptionFieldIsWritten(const OptionField& field, const WatermarkOptions& options) {
  return !field.only_when_set ||
         EncodeOptionValue(field, options) != EncodeOptionValue(field, WatermarkOptions{});
}

std::vector<uint8_t> EncodeOptionValue(const OptionField& field, const WatermarkOptions& options) {
  WatermarkOptions values = options;  // the accessors hand out references
  return std::visit(
      Overloaded{
          [&](FlagField get) { return std::vector<uint8_t>{uint8_t(get(values) ? 1 : 0)}; },
          [&](RelativeField get) { return std::vector<uint8_t>{uint8_t(get(values))}; },
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
