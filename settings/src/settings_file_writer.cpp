// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a settings file through a temporary file beside the target, so a
// failed write never leaves a half-written job where an older one stood.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "font_record.h"
#include "io_error_text.h"
#include "options_block.h"
#include "picture_rows.h"
#include "save_target_mode.h"
#include "setting_strings.h"
#include "settings/settings_file.h"
#include "settings_io.h"

namespace {

void write_fields(SettingsOutput& file, const SettingsFileContent& content,
                  const SettingsProgress& progress) {
  file.i32(int32_t(content.sources.size()));
  for (const std::string& source : content.sources) WriteSettingString(file, source);
  file.f64(content.text_margin);
  file.f64(content.picture_margin);
  WriteSettingString(file, content.text);
  file.u8(content.text_on ? 1 : 0);
  file.u8(content.text_off ? 1 : 0);
  file.u8(content.picture_on ? 1 : 0);
  file.u8(content.picture_off ? 1 : 0);
  file.i32(content.text_transparency);
  file.i32(content.picture_transparency);
  file.i32(content.text_position);
  file.i32(content.picture_position);
  file.i32(content.jpeg_quality);
  WriteSettingString(file, content.out_dir);
  WriteSettingString(file, content.sources_dialog_dir);
  WriteSettingString(file, content.picture_dialog_dir);
  WriteSettingString(file, content.open_settings_dialog_dir);
  WriteSettingString(file, content.save_settings_dialog_dir);
  WritePictureRows(file, content.watermark, progress);
  // The option block follows the font record, so it needs one.
  if (content.font || content.options.any()) WriteSettingFont(file, content.font.value_or(TextFont{}));
  if (content.options.any())
    WriteOptionsBlock(file, content.options,
                      content.options.picture.keep_alpha ? &content.watermark : nullptr);
}

// The file the name stands for: a symbolic link is written through, so
// the link stays and its target gets the new job.
std::string write_target(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    std::filesystem::path target = std::filesystem::canonical(path, error);
    if (!error) return target.string();
  }
  return path;
}

SettingsWriteResult failure(const std::string& path, const std::string& reason) {
  return {false, "Die Datei " + path + " konnte nicht gespeichert werden: " + reason};
}

}  // namespace

SettingsWriteResult WriteSettingsFile(const std::string& path, const SettingsFileContent& content,
                                      const SettingsProgress& progress) {
  const TDibImage& picture = content.watermark;
  if (picture.Info == nullptr || picture.Bits == nullptr || picture.Info->bmiHeader.biHeight < 1) {
    return failure(path, "Es ist kein Wasserzeichenbild vorhanden");
  }
  const std::string target = write_target(path);
  struct stat existing;
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return failure(path, IoErrorText(errno));
  const SaveTargetDecision decision =
      DecideSaveTarget(exists ? &existing : nullptr, CurrentProcessIdentity());
  if (decision.refused) return failure(path, "Die Datei ist schreibgeschützt");

  std::string temp_path = target + ".XXXXXX";
  const int fd = ::mkstemp(temp_path.data());
  if (fd < 0) return failure(path, IoErrorText(errno));
  // mkstemp makes the file private: a replaced file keeps its own bits, a
  // new one gets the usual mode.
  if (::fchmod(fd, decision.mode) != 0) {
    const int error_number = errno;
    ::close(fd);
    ::unlink(temp_path.c_str());
    return failure(path, IoErrorText(error_number));
  }

  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    const int error_number = errno;
    ::close(fd);
    ::unlink(temp_path.c_str());
    return failure(path, IoErrorText(error_number));
  }
  SettingsOutput output(file);
  try {
    write_fields(output, content, progress);
  } catch (...) {
    // Only the progress receiver or a failed allocation throws: the older
    // file stays and no temporary is left behind.
    std::fclose(file);
    ::unlink(temp_path.c_str());
    throw;
  }
  int error_number = output.error_number();
  if (error_number == 0 && std::fflush(file) != 0) error_number = errno;
  if (error_number == 0 && ::fsync(fd) != 0) error_number = errno;
  if (std::fclose(file) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && ::rename(temp_path.c_str(), target.c_str()) != 0) error_number = errno;
  if (progress) progress(0);
  if (error_number != 0) {
    ::unlink(temp_path.c_str());
    return failure(path, IoErrorText(error_number));
  }
  return {true, ""};
}
