// SPDX-License-Identifier: GPL-3.0-or-later
// The table of watermark options: for each one its tag in a settings
// file's option block, its key in the form-state store's section, its kind
// and the range a value read from either is limited to. Both stores walk
// this one table, so an option added here is kept by both.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "settings/watermark_options.h"

using FlagField = bool& (*)(WatermarkOptions&);
using IntegerField = int32_t& (*)(WatermarkOptions&);
using NumberField = double& (*)(WatermarkOptions&);
using RelativeField = RelativeTo& (*)(WatermarkOptions&);
using TextField = std::string& (*)(WatermarkOptions&);

// An enumeration of one byte, stored as its number in the block and by
// name in the section; a number without a name reads as the first.
struct ChoiceField {
  uint8_t& (*get)(WatermarkOptions&);
  std::span<const char* const> names;  // index: the enumeration's value
};

// The longest text option a reader takes (a folder or a name pattern).
inline constexpr uint32_t kMaxOptionTextBytes = 4096;

struct OptionField {
  uint16_t tag;     // in the option block; never reused for another meaning
  const char* key;  // in the "Erweitert" section
  std::variant<FlagField, IntegerField, NumberField, RelativeField, ChoiceField, TextField> value;
  // Numbers read are taken as the nearest end of min..max. For a relative
  // field: bit n set when RelativeTo value n is allowed (others read as kNone).
  double min = 0;
  double max = 0;
  // Written only when it differs from its default, so that setting it is
  // the only way it changes what either store holds.
  bool only_when_set = false;
};

std::span<const OptionField> OptionFields();

// Whether the stores write the field for these options: every field, but
// one kept only when set only when it is.
bool OptionFieldIsWritten(const OptionField& field, const WatermarkOptions& options);
// Whether the section can hold the value on its one line.
bool OptionFieldFitsSection(const OptionField& field, const WatermarkOptions& options);

// The option's value as the block stores it: a flag, a RelativeTo or a
// choice in one byte, an integer in four, a number as an eight-byte double
// (little-endian), a text as its UTF-8 bytes.
std::vector<uint8_t> EncodeOptionValue(const OptionField& field, const WatermarkOptions& options);
// False when the payload is not the option's size, a number is not finite
// or a text is too long or holds a zero byte.
[[nodiscard]] bool DecodeOptionValue(const OptionField& field, std::span<const uint8_t> payload,
                                     WatermarkOptions& options);

// The option's value as the section stores it: "True"/"False", a decimal
// integer, a number in the shortest general form with ".", or the name of
// a RelativeTo value or a choice, a text in double quotes (so blanks
// around it and quotes of its own survive the reading). A text holding a
// line break is not written at all: the section has one line a key.
std::string FormatOptionValue(const OptionField& field, const WatermarkOptions& options);
// A text that names no value leaves the option as it is.
void ParseOptionValue(const OptionField& field, const std::string& text, WatermarkOptions& options);
