// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the example job: three small pictures and example.stx, which
// lists them by relative path, so the job runs from wherever the folder
// lies. Usage: stempora-make-example FOLDER
#include <cmath>
#include <cstdio>
#include <string>

#include "pixkit/pixkit.h"
#include "settings/settings_file.h"

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 80;

uint32_t rgb(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

// Sky over sand: a gradient with a sun, for the 24-bit BMP.
bool write_beach(const std::string& path) {
  TDibImage picture = newdib(kWidth, kHeight, 24, nullptr, 0);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool sun = (x - 90) * (x - 90) + (y - 18) * (y - 18) < 100;
      const bool sky = y < 50;
      const uint32_t colour = sun   ? rgb(255, 220, 80)
                              : sky ? rgb(90 + y, 150 + y, 230)
                                    : rgb(220 - (y - 50), 200 - (y - 50), 140);
      setpixel(&picture, x, y, colour);
    }
  }
  const bool ok = SaveDib(&picture, path.c_str(), PIXKIT_FORMAT_BMP, nullptr) == 1;
  deldib(&picture);
  return ok;
}

// Rolling green hills, for the 24-bit TGA.
bool write_meadow(const std::string& path) {
  TDibImage picture = newdib(kWidth, kHeight, 24, nullptr, 0);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int ridge = 40 + int(8 * std::sin(x / 12.0));
      setpixel(&picture, x, y, y < ridge ? rgb(170, 210, 250) : rgb(40, 120 + (y - ridge), 40));
    }
  }
  const bool ok = SaveDib(&picture, path.c_str(), PIXKIT_FORMAT_TGA, nullptr) == 1;
  deldib(&picture);
  return ok;
}

// Night sky on the library's default 8-bit palette, for the palette BMP.
bool write_night(const std::string& path) {
  TDibImage picture = newdib(kWidth, kHeight, 8, nullptr, 0);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool star = (x * 7 + y * 13) % 97 == 0;
      setpixel(&picture, x, y, star ? 215u : uint32_t(1 + (y / 20)));
    }
  }
  const bool ok = SaveDib(&picture, path.c_str(), PIXKIT_FORMAT_BMP, nullptr) == 1;
  deldib(&picture);
  return ok;
}

// The picture watermark: a white ring on dark blue.
TDibImage make_mark() {
  TDibImage mark = newdib(48, 32, 24, nullptr, 0);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) {
      const int d = (x - 24) * (x - 24) + (y - 16) * (y - 16);
      setpixel(&mark, x, y, d > 80 && d < 180 ? rgb(255, 255, 255) : rgb(20, 30, 90));
    }
  }
  return mark;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: stempora-make-example ORDNER\n");
    return 2;
  }
  const std::string folder = argv[1];
  if (!write_beach(folder + "/strand.bmp") || !write_meadow(folder + "/wiese.tga") ||
      !write_night(folder + "/nacht.bmp")) {
    std::fprintf(stderr, "Die Beispielbilder konnten nicht geschrieben werden.\n");
    return 1;
  }
  SettingsFileContent content;
  content.sources = {"strand.bmp", "wiese.tga", "nacht.bmp", "liesmich.txt"};
  content.text = "Stempora\r\nBeispiel";
  content.text_transparency = 40;
  content.text_position = 4;
  content.text_margin = 10;
  content.picture_on = true;
  content.picture_off = false;
  content.picture_position = 8;
  content.picture_margin = 4;
  content.picture_transparency = 50;
  content.watermark = make_mark();
  TextFont font;
  font.size = 12;
  font.height = -16;
  font.color = int32_t(0x00FFFFFF);  // white
  content.font = font;
  const SettingsWriteResult written = WriteSettingsFile(folder + "/example.stx", content);
  deldib(&content.watermark);
  if (!written.ok) {
    std::fprintf(stderr, "%s\n", written.message.c_str());
    return 1;
  }
  return 0;
}
