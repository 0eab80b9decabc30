// SPDX-License-Identifier: GPL-3.0-or-later
#include "watermark_origin_section.h"

#include <string>

namespace {

constexpr const char* kPictureFileKey = "PictureFile";
constexpr const char* kSettingsFileKey = "SettingsFile";

// A path is written in double quotes, which the profile reader takes off
// again, so blanks at its ends stay. A line break would end the value
// early: such a path is not kept.
bool storable(const std::string& path) {
  return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

void SaveWatermarkOriginSection(ProfileFile& profile, const WatermarkOrigin& origin) {
  profile.EraseSection(kWatermarkOriginSection);
  if (origin.kind == WatermarkOrigin::Kind::kNone || !storable(origin.path)) return;
  const char* key = origin.kind == WatermarkOrigin::Kind::kPictureFile ? kPictureFileKey : kSettingsFileKey;
  profile.Write(kWatermarkOriginSection, key, "\"" + origin.path + "\"");
}

void RestoreWatermarkOriginSection(const ProfileFile& profile, WatermarkOrigin& origin) {
  // The path is kept as its bytes: no decoding, and blanks inside the
  // quotes stay.
  auto path = [&](const char* key) -> std::string {
    std::optional<std::string> value = profile.Read(kWatermarkOriginSection, key);
    return value ? *value : std::string();
  };
  if (std::string file = path(kPictureFileKey); !file.empty()) {
    origin = {WatermarkOrigin::Kind::kPictureFile, file};
  } else if (std::string job = path(kSettingsFileKey); !job.empty()) {
    origin = {WatermarkOrigin::Kind::kSettingsFile, job};
  }
}
