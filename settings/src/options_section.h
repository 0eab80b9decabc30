// SPDX-License-Identifier: GPL-3.0-or-later
// The form-state store's section for the watermark options: "Erweitert",
// one key per option of the table, never a key in "TMainForm". With every
// option off the section is removed (and so not written at all), so the
// file stays what the plain store writes.
#pragma once

#include "settings/profile_file.h"
#include "settings/watermark_options.h"

inline constexpr const char* kOptionsSection = "Erweitert";

void SaveOptionsSection(ProfileFile& profile, const WatermarkOptions& options);
// A missing key, or a value that names none, keeps the option as it is.
void RestoreOptionsSection(const ProfileFile& profile, WatermarkOptions& options);
