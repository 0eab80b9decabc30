// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_scratch_job.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace cli_test {

void write_bmp(const std::string& path) {
  TDibImage picture = newdib(4, 3, 24, nullptr, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) setpixel(&picture, x, y, uint32_t(60 * x) | uint32_t(100 * y) << 8);
  }
  const int ok = SaveDib(&picture, path.c_str(), PIXKIT_FORMAT_BMP, nullptr);
  deldib(&picture);
  if (ok != 1) throw std::runtime_error("cannot write " + path);
}

void write_picture(const std::string& path, int width, int height, int bits, int format) {
  TDibImage picture = newdib(width, height, bits, nullptr, 0);
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {
      picture.Info->bmiColors[i] = PixkitRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
      picture.LogPalette.palPalEntry[i] = PixkitPaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    }
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel =
          bits == 8 ? uint32_t(x * 3 + y * 5) & 255u
                    : uint32_t(x * 7 & 255) | uint32_t(y * 5 & 255) << 8 | uint32_t((x ^ y) & 255) << 16;
      setpixel(&picture, x, y, pixel);
    }
  const int ok = SaveDib(&picture, path.c_str(), format, nullptr);
  deldib(&picture);
  if (ok != 1) throw std::runtime_error("cannot write " + path);
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_job(const std::string& path, const std::vector<std::string>& sources, const std::string& out_dir,
               bool add_text) {
  SettingsFileContent content;
  content.sources = sources;
  content.out_dir = out_dir;
  content.text_on = add_text;
  content.text_off = !add_text;
  content.text = "Probe";
  content.watermark = newdib(8, 4, 24, nullptr, 0);
  content.font = TextFont{};
  const SettingsWriteResult written = WriteSettingsFile(path, content);
  deldib(&content.watermark);
  if (!written.ok) throw std::runtime_error(written.message);
}

std::vector<std::string> BatchRun::lines() const {
  std::vector<std::string> result;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

namespace {

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

}  // namespace

BatchRun run_batch(const std::vector<std::string>& arguments, const fs::path& folder,
                   const std::string& input) {
  const std::string out_path = (folder / ".stdout").string();
  const std::string err_path = (folder / ".stderr").string();
  const std::string in_path = (folder / ".stdin").string();
  std::ofstream(in_path, std::ios::binary) << input;
  std::string command =
      "cd " + quoted(folder.string()) + " && env -u QT_QPA_PLATFORM " + quoted(STEMPORA_BATCH_EXE);
  for (const std::string& argument : arguments) command += " " + quoted(argument);
  command += " <" + quoted(in_path) + " >" + quoted(out_path) + " 2>" + quoted(err_path);
  const int status = std::system(command.c_str());
  BatchRun run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = read_text(out_path);
  run.err = read_text(err_path);
  fs::remove(out_path);
  fs::remove(err_path);
  fs::remove(in_path);
  return run;
}

std::map<std::string, std::string> files_below(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), folder).string()] = read_text(entry.path().string());
  return files;
}

}  // namespace cli_test
