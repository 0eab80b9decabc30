// SPDX-License-Identifier: GPL-3.0-or-later
// Palette pictures come back at their own bit count through stempora-batch,
// with the popularity palette and the diffused indices; 16-bit pictures come
// back at 24 bits.
#include <gtest/gtest.h>

#include "cli_scratch_job.h"
#include "image/depth_down.h"
#include "image/depth_up.h"
#include "support/owned_dib.h"

using namespace cli_test;
using testsupport::OwnedDib;

namespace {

constexpr int kWidth = 37;  // odd, so packed rows end inside a byte
constexpr int kHeight = 23;

// A palette picture whose colours are spread over many cells, so the census,
// the sort and the diffusion all shape the output.
TDibImage make_source(int bits) {
  TDibImage picture = newdib(kWidth, kHeight, bits, nullptr, 0);
  if (bits <= 8) {
    const int entries = 1 << bits;
    for (int i = 0; i < entries; ++i) {
      picture.Info->bmiColors[i] = PixkitRgbQuad{uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 83), 0};
      picture.LogPalette.palPalEntry[i] =
          PixkitPaletteEntry{uint8_t(i * 83), uint8_t(255 - i * 11), uint8_t(i * 37), 0};
    }
  }
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t v = uint32_t(x * 7 + y * 3);
      setpixel(&picture, x, y, bits <= 8 ? v % (1u << bits) : (v * 2654435761u) & 0x7FFF);
    }
  return picture;
}

struct Case {
  const char* extension;
  int format;
  int bits;
};

}  // namespace

TEST(StemporaBatchPalette, PalettePicturesKeepTheirBitCountPaletteAndIndices) {
  const Case cases[] = {
      {"bmp", PIXKIT_FORMAT_BMP, 1}, {"bmp", PIXKIT_FORMAT_BMP, 4}, {"bmp", PIXKIT_FORMAT_BMP, 8},
      {"rle", PIXKIT_FORMAT_RLE, 4}, {"rle", PIXKIT_FORMAT_RLE, 8}, {"gif", PIXKIT_FORMAT_GIF, 1},
      {"gif", PIXKIT_FORMAT_GIF, 4}, {"gif", PIXKIT_FORMAT_GIF, 8}, {"pcx", PIXKIT_FORMAT_PCX, 1},
      {"pcx", PIXKIT_FORMAT_PCX, 4}, {"pcx", PIXKIT_FORMAT_PCX, 8}, {"tga", PIXKIT_FORMAT_TGA, 8},
      {"tif", PIXKIT_FORMAT_TIF, 1}, {"tif", PIXKIT_FORMAT_TIF, 4}, {"tif", PIXKIT_FORMAT_TIF, 8},
      {"lbm", PIXKIT_FORMAT_LBM, 1}, {"lbm", PIXKIT_FORMAT_LBM, 4}, {"iff", PIXKIT_FORMAT_IFF, 8},
  };
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (const Case& c : cases) {
    const std::string path = folder.file("src/p" + std::to_string(c.bits) + "." + c.extension);
    OwnedDib source(make_source(c.bits));
    ASSERT_EQ(SaveDib(&source.dib, path.c_str(), c.format, nullptr), 1) << path;
    sources.push_back(path);
  }
  const std::string job = folder.file("job.stx");
  write_job(job, sources, "out");
  const BatchRun run = run_batch({job}, folder.path());
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;

  for (const Case& c : cases) {
    const std::string name = "p" + std::to_string(c.bits) + "." + c.extension;
    SCOPED_TRACE(name);
    OwnedDib expected(OpenDib(folder.file("src/" + name).c_str(), 0, nullptr));
    ASSERT_EQ(expected.bits(), c.bits) << "the reader hands the file over at another depth";
    DepthUpTo(expected.dib, 24);
    DepthDownTo(expected.dib, c.bits);
    OwnedDib written(OpenDib(folder.file("src/out/" + name).c_str(), 0, nullptr));
    ASSERT_EQ(written.bits(), c.bits);
    if (std::string(c.extension) == "rle") {
      // biCompression: 1 for RLE8, 2 for RLE4.
      const std::string bytes = read_text(folder.file("src/out/" + name));
      ASSERT_GT(bytes.size(), 34u);
      EXPECT_EQ(uint8_t(bytes[30]), c.bits == 8 ? 1 : 2);
    }
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const uint32_t want = getpixel(&expected.dib, x, y), got = getpixel(&written.dib, x, y);
        ASSERT_EQ(got, want) << x << "," << y;
        const PixkitPaletteEntry& a = expected.dib.LogPalette.palPalEntry[want];
        const PixkitPaletteEntry& b = written.dib.LogPalette.palPalEntry[got];
        ASSERT_EQ(uint32_t(a.peRed) << 16 | uint32_t(a.peGreen) << 8 | a.peBlue,
                  uint32_t(b.peRed) << 16 | uint32_t(b.peGreen) << 8 | b.peBlue)
            << x << "," << y;
      }
  }
}

TEST(StemporaBatchPalette, SixteenBitPicturesComeBackAtTwentyFourBits) {
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (const char* name : {"s.bmp", "s.tga"}) {
    const std::string path = folder.file(std::string("src/") + name);
    OwnedDib source(make_source(16));
    ASSERT_EQ(
        SaveDib(&source.dib, path.c_str(), name[2] == 'b' ? PIXKIT_FORMAT_BMP : PIXKIT_FORMAT_TGA, nullptr),
        1);
    sources.push_back(path);
  }
  const std::string job = folder.file("job.stx");
  write_job(job, sources, "out");
  ASSERT_EQ(run_batch({job}, folder.path()).exit_code, 0);
  for (const char* name : {"s.bmp", "s.tga"}) {
    OwnedDib source(OpenDib(folder.file(std::string("src/") + name).c_str(), 0, nullptr));
    ASSERT_EQ(source.bits(), 16) << name;
    DepthUpTo(source.dib, 24);
    OwnedDib written(OpenDib(folder.file(std::string("src/out/") + name).c_str(), 0, nullptr));
    ASSERT_EQ(written.bits(), 24) << name;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) ASSERT_EQ(getpixel(&written.dib, x, y), getpixel(&source.dib, x, y));
  }
}

TEST(StemporaBatchPalette, EveryDepthKeepsItsResolution) {
  constexpr int32_t k300Dpi = 11811;  // pixels per metre
  ScratchFolder folder;
  std::vector<std::string> sources;
  for (const int bits : {1, 4, 8, 16})
    for (const char* extension : {"bmp", "tif"}) {
      const std::string path = folder.file("src/r" + std::to_string(bits) + "." + extension);
      OwnedDib source(make_source(bits));
      source.dib.Info->bmiHeader.biXPelsPerMeter = k300Dpi;
      source.dib.Info->bmiHeader.biYPelsPerMeter = k300Dpi;
      const int format = extension[0] == 'b' ? PIXKIT_FORMAT_BMP : PIXKIT_FORMAT_TIF;
      ASSERT_EQ(SaveDib(&source.dib, path.c_str(), format, nullptr), 1);
      sources.push_back(path);
    }
  const std::string job = folder.file("job.stx");
  write_job(job, sources, "out");
  ASSERT_EQ(run_batch({job}, folder.path()).exit_code, 0);
  for (const std::string& source : sources) {
    const std::string output =
        (fs::path(source).parent_path() / "out" / fs::path(source).filename()).string();
    OwnedDib written(OpenDib(output.c_str(), 0, nullptr));
    ASSERT_NE(written.bits(), 0) << output;
    EXPECT_NEAR(written.dib.Info->bmiHeader.biXPelsPerMeter, k300Dpi, 1) << output;
    EXPECT_NEAR(written.dib.Info->bmiHeader.biYPelsPerMeter, k300Dpi, 1) << output;
  }
}
