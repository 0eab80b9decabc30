// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a whole settings file into a content value before anything is
// applied, so a damaged file changes nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "control_limits.h"
#include "font_record.h"
#include "options_block.h"
#include "picture_rows.h"
#include "setting_strings.h"
#include "settings/settings_file.h"
#include "settings_io.h"

namespace {

bool read_margin(SettingsInput& file, double& margin) {
  double value;
  if (!file.f64(value) || !std::isfinite(value)) return false;
  margin = RoundSpinValue(value);
  return true;
}

// Assigning a radio button: 1 selects it and deselects its partner, 0
// deselects only the button itself.
void assign_radio_pair(uint8_t first, uint8_t second, bool& first_on, bool& second_on) {
  if (first != 0) {
    first_on = true;
    second_on = false;
  } else {
    first_on = false;
  }
  if (second != 0) {
    second_on = true;
    first_on = false;
  } else {
    second_on = false;
  }
}

std::string settings_folder(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  return absolute.parent_path().string();
}

bool read_fields(SettingsInput& file, const std::string& path, SettingsFileContent& content,
                 const SettingsProgress& progress) {
  int32_t count;
  if (!file.i32(count) || count < 0 || uint64_t(count) * 4 > file.remaining()) return false;
  content.sources_folder = settings_folder(path);
  for (int32_t i = 0; i < count; ++i) {
    std::string source;
    if (!ReadSettingPath(file, content.sources_folder, source)) return false;
    content.sources.push_back(std::move(source));
  }
  if (!read_margin(file, content.text_margin) || !read_margin(file, content.picture_margin)) return false;
  if (!ReadSettingString(file, content.text)) return false;

  uint8_t radio[4];
  if (!file.bytes(radio, 4)) return false;
  assign_radio_pair(radio[0], radio[1], content.text_on, content.text_off);
  assign_radio_pair(radio[2], radio[3], content.picture_on, content.picture_off);

  int32_t numbers[5];
  for (int32_t& number : numbers) {
    if (!file.i32(number)) return false;
  }
  content.text_transparency = LimitTrackBar(numbers[0]);
  content.picture_transparency = LimitTrackBar(numbers[1]);
  content.text_position = ListItemIndex(numbers[2], kTextPositionCount);
  content.picture_position = ListItemIndex(numbers[3], kPicturePositionCount);
  content.jpeg_quality = LimitJpegQuality(numbers[4]);

  if (!ReadSettingString(file, content.out_dir)) return false;
  for (std::string* folder_path : {&content.sources_dialog_dir, &content.picture_dialog_dir,
                                   &content.open_settings_dialog_dir, &content.save_settings_dialog_dir}) {
    if (!ReadSettingPath(file, content.sources_folder, *folder_path)) return false;
  }

  content.watermark = ReadPictureRows(file, progress);
  if (content.watermark.Bits == nullptr) return false;
  if (progress) progress(0);
  // A file that ends right after the rows has no font; the window keeps its own.
  if (!file.at_end()) {
    TextFont font;
    TDibImage alpha_picture{};
    if (!ReadSettingFont(file, font) || !ReadOptionsBlock(file, content.options, &alpha_picture)) {
      deldib(&alpha_picture);
      deldib(&content.watermark);
      content.watermark = TDibImage{};
      return false;
    }
    content.font = font;
    // The picture as it was loaded, with its alpha channel, when the block
    // holds one of the same size as the rows (which hold it composed over
    // white for readers that do not know the block).
    if (alpha_picture.Bits != nullptr) {
      const PixkitBitmapInfoHeader& rows = content.watermark.Info->bmiHeader;
      const PixkitBitmapInfoHeader& kept = alpha_picture.Info->bmiHeader;
      if (content.options.picture.keep_alpha && kept.biWidth == rows.biWidth &&
          kept.biHeight == rows.biHeight) {
        deldib(&content.watermark);
        content.watermark = alpha_picture;
      } else {
        deldib(&alpha_picture);
      }
    }
  }
  return true;
}

// Opens a regular file for reading only. Opening does not wait: a named
// pipe would block until someone writes to it, and a device has no end, so
// neither is a settings file.
std::FILE* open_regular_file(const std::string& path, uint64_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return nullptr;
  }
  size = uint64_t(st.st_size);
  return file;
}

}  // namespace

SettingsReadResult ReadSettingsFile(const std::string& path, const SettingsProgress& progress) {
  SettingsReadResult result;
  uint64_t size = 0;
  std::FILE* file = open_regular_file(path, size);
  if (file == nullptr) {
    result.failure = SettingsReadFailure::kCannotOpen;
    result.message = "Die Datei " + path + " konnte nicht geöffnet werden.";
    return result;
  }
  SettingsInput input(file, size);
  SettingsFileContent content;
  bool complete = false;
  try {
    complete = read_fields(input, path, content, progress);
  } catch (...) {
    // Only the progress receiver or a failed allocation throws; the file
    // and a picture already read are released before it goes on.
    std::fclose(file);
    deldib(&content.watermark);
    throw;
  }
  std::fclose(file);
  if (!complete) {
    if (progress) progress(0);
    result.failure = SettingsReadFailure::kDamaged;
    result.message = "Die Datei " + path + " ist beschädigt und wurde nicht geladen.";
    return result;
  }
  result.content = std::move(content);
  return result;
}
