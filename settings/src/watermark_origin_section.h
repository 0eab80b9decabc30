// SPDX-License-Identifier: GPL-3.0-or-later
// The form-state store's section for where the picture watermark came from:
// "Wasserzeichenbild", with the key "PictureFile" or "SettingsFile" and the
// path, never a key in "TMainForm". The start picture writes no section.
#pragma once

#include "settings/form_state.h"
#include "settings/profile_file.h"

inline constexpr const char* kWatermarkOriginSection = "Wasserzeichenbild";

void SaveWatermarkOriginSection(ProfileFile& profile, const WatermarkOrigin& origin);
// A section without a usable key gives no origin.
void RestoreWatermarkOriginSection(const ProfileFile& profile, WatermarkOrigin& origin);
