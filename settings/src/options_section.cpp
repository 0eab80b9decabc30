// SPDX-License-Identifier: GPL-3.0-or-later
#include "options_section.h"

#include <string>

#include "option_fields.h"

void SaveOptionsSection(ProfileFile& profile, const WatermarkOptions& options) {
  // The section holds nothing but the options: rewritten whole, so an
  // option switched off leaves no stale key behind.
  profile.EraseSection(kOptionsSection);
  if (!options.any()) return;
  for (const OptionField& field : OptionFields())
    if (OptionFieldIsWritten(field, options) && OptionFieldFitsSection(field, options))
      profile.Write(kOptionsSection, field.key, FormatOptionValue(field, options));
}

void RestoreOptionsSection(const ProfileFile& profile, WatermarkOptions& options) {
  for (const OptionField& field : OptionFields()) {
    std::optional<std::string> value = profile.Read(kOptionsSection, field.key);
    if (!value) continue;
    // A text came in quotes; the blanks inside them are its own.
    if (!std::holds_alternative<TextField>(field.value)) *value = std::string(TrimProfileBlanks(*value));
    ParseOptionValue(field, *value, options);
  }
}
