// Helpers shared by the library's tests: scratch folders, running the peer
// programs (netpbm, ImageMagick), portable pixmaps, and pictures with
// known pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"

namespace testsupport {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

// Runs a shell command; true when it exited with 0. Output goes to the
// test log only on failure.
bool run(const std::string& command);
// Whether a program is on PATH.
bool have_program(const std::string& name);

std::vector<uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// Pixels as red, green, blue (and alpha) bytes, rows top-down.
struct Rgba {
  int width = 0;
  int height = 0;
  int channels = 3;  // 3 or 4
  std::vector<uint8_t> pixels;
  bool operator==(const Rgba&) const = default;
};

// Reads P5, P6 or P7 (PAM, GRAYSCALE/RGB/RGB_ALPHA/GRAYSCALE_ALPHA, maxval
// 255) into RGB or RGBA.
Rgba read_pnm(const std::string& path);
// Writes P6 (3 channels) or P7 RGB_ALPHA (4 channels).
void write_pnm(const std::string& path, const Rgba& picture);

// The record's pixels as RGB (RGBA for 32 bits) through getpixel.
Rgba pixels_of(const TDibImage& dib);
// A record of the given bit count holding the pattern (palette pictures get
// a palette of 2^bits distinct colours and indices (x * 7 + y * 3) mod 2^bits).
TDibImage make_pattern(int width, int height, int bit_count);

// Largest absolute difference of any channel; for lossy formats.
int max_channel_difference(const Rgba& a, const Rgba& b);

}  // namespace testsupport
