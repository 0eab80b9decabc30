// SPDX-License-Identifier: GPL-3.0-or-later
// Gathers what the text variables of one source stand for. The file is
// reached only through the imaging library.
#include <ctime>
#include <filesystem>
#include <system_error>

#include "pixkit/pixkit.h"
#include "run/text_variables.h"

namespace {

std::optional<ShownTime> local_time(int64_t seconds) {
  const std::time_t time = std::time_t(seconds);
  std::tm parts{};
  if (localtime_r(&time, &parts) == nullptr) return std::nullopt;
  const int year = parts.tm_year + 1900;
  if (year < 1 || year > 9999) return std::nullopt;  // {Datum} has four digits for the year
  return ShownTime{year, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::string absolute_path(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  return absolute.lexically_normal().string();
}

}  // namespace

SourceFacts ReadSourceFacts(const std::string& path, int64_t number, int64_t width, int64_t height,
                            bool read_capture) {
  SourceFacts facts;
  facts.path = absolute_path(path);
  facts.number = number;
  facts.width = width;
  facts.height = height;
  if (!read_capture) return facts;
  PixkitCaptureInfo info = PixkitCaptureInfoInit();
  if (PixkitReadCaptureInfo(path.c_str(), &info) == 0) return facts;
  if (info.has_capture_time != 0)
    facts.taken = ShownTime{info.year, info.month, info.day, info.hour, info.minute, info.second};
  else if (info.has_modified_time != 0)
    facts.taken = local_time(info.modified_time);
  facts.camera = CameraName(info.make, info.model);
  return facts;
}
