// SPDX-License-Identifier: GPL-3.0-or-later
// SaveDibAs: every export format written and read back by its own
// library's tools, and the JPEG settings found in the written file.
#include <gtest/gtest.h>

// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;

// A smooth picture, as lossy encoders are meant for, with an alpha ramp at
// 32 bits.
TDibImage smooth_picture(int bits) {
  const int w = 96, h = 64;
  TDibImage dib = newdib(w, h, bits, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t r = uint32_t(x * 255 / (w - 1)), g = uint32_t(y * 255 / (h - 1)),
                     b = uint32_t(x + y + 60);
      const uint32_t a = bits == 32 ? uint32_t(40 + x * 2) : 0;
      setpixel(&dib, x, y, r | g << 8 | b << 16 | a << 24);
    }
  return dib;
}

PixkitSaveSettings settings_for(int format) {
  PixkitSaveSettings s = PixkitSaveSettingsInit();
  s.format = format;
  return s;
}

bool save(const TDibImage& dib, const std::string& path, const PixkitSaveSettings& s) {
  int reason = -1;
  const bool ok = SaveDibAs(&dib, path.c_str(), &s, nullptr, &reason) == 1;
  EXPECT_EQ(reason, ok ? PIXKIT_REASON_NONE : reason);
  return ok;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

TEST(ExportWriters, PngAtEveryDepthDecodesToTheSamePixelsInPeers) {
  TempDir dir;
  for (const int bits : {8, 24, 32}) {
    SCOPED_TRACE(bits);
    OwnedDib dib(make_pattern(37, 23, bits));
    const std::string path = dir.file("out" + std::to_string(bits) + ".png");
    PixkitSaveSettings s = settings_for(PIXKIT_FORMAT_PNG);
    s.png_compression = 9;
    ASSERT_TRUE(save(dib.dib, path, s));
    if (have_program("pngcheck")) {
      EXPECT_TRUE(run("pngcheck -q " + quoted(path)));
    }
    OwnedDib back(OpenDib(path.c_str(), 0, nullptr));
    EXPECT_EQ(pixels_of(back.dib), pixels_of(dib.dib));
    if (bits != 8 && have_program("convert")) {
      const std::string pam = dir.file("peer.pam");
      ASSERT_TRUE(run("convert " + quoted(path) + " " + quoted(pam)));
      EXPECT_EQ(read_pnm(pam), pixels_of(dib.dib));
    }
  }
}

TEST(ExportWriters, WebpLosslessKeepsEveryPixelAndAlphaInDwebp) {
  if (!have_program("dwebp")) GTEST_SKIP() << "dwebp (package webp) is not installed";
  TempDir dir;
  OwnedDib dib(smooth_picture(32));
  PixkitSaveSettings s = settings_for(PIXKIT_FORMAT_WEBP);
  s.webp_lossless = 1;
  s.quality = 50;
  ASSERT_TRUE(save(dib.dib, dir.file("out.webp"), s));
  ASSERT_TRUE(
      run("dwebp -quiet " + quoted(dir.file("out.webp")) + " -pam -o " + quoted(dir.file("out.pam"))));
  EXPECT_EQ(read_pnm(dir.file("out.pam")), pixels_of(dib.dib));
}

TEST(ExportWriters, LossyWebpAndAvifDecodeCloseInTheirOwnTools) {
  TempDir dir;
  OwnedDib dib(smooth_picture(24));
  const Rgba original = pixels_of(dib.dib);
  if (have_program("dwebp")) {
    PixkitSaveSettings s = settings_for(PIXKIT_FORMAT_WEBP);
    s.quality = 90;
    ASSERT_TRUE(save(dib.dib, dir.file("out.webp"), s));
    ASSERT_TRUE(
        run("dwebp -quiet " + quoted(dir.file("out.webp")) + " -ppm -o " + quoted(dir.file("w.ppm"))));
    EXPECT_LE(max_channel_difference(read_pnm(dir.file("w.ppm")), original), 24);
  }
  if (have_program("avifdec") && have_program("convert")) {
    PixkitSaveSettings s = settings_for(PIXKIT_FORMAT_AVIF);
    s.quality = 90;
    s.avif_speed = 8;
    ASSERT_TRUE(save(dib.dib, dir.file("out.avif"), s));
    ASSERT_TRUE(run("avifdec " + quoted(dir.file("out.avif")) + " " + quoted(dir.file("a.png"))));
    ASSERT_TRUE(run("convert " + quoted(dir.file("a.png")) + " " + quoted(dir.file("a.ppm"))));
    EXPECT_LE(max_channel_difference(read_pnm(dir.file("a.ppm")), original), 24);
  }
}

TEST(ExportWriters, AvifKeepsAlphaInAvifdec) {
  if (!have_program("avifdec") || !have_program("convert")) GTEST_SKIP() << "avifdec or ImageMagick missing";
  TempDir dir;
  OwnedDib dib(smooth_picture(32));
  PixkitSaveSettings s = settings_for(PIXKIT_FORMAT_AVIF);
  s.quality = 80;
  s.avif_speed = 10;
  ASSERT_TRUE(save(dib.dib, dir.file("out.avif"), s));
  ASSERT_TRUE(run("avifdec " + quoted(dir.file("out.avif")) + " " + quoted(dir.file("a.png"))));
  ASSERT_TRUE(run("convert " + quoted(dir.file("a.png")) + " " + quoted(dir.file("a.pam"))));
  const Rgba back = read_pnm(dir.file("a.pam"));
  ASSERT_EQ(back.channels, 4);
  EXPECT_EQ(back.pixels[3], 40);  // alpha is lossless
  EXPECT_EQ(back.pixels[size_t(95) * 4 + 3], 40 + 95 * 2);
}

TEST(ExportWriters, TiffAndJpeg2000ReadInTheirLibrariesTools) {
  TempDir dir;
  OwnedDib dib(smooth_picture(24));
  ASSERT_TRUE(save(dib.dib, dir.file("out.tif"), settings_for(PIXKIT_FORMAT_TIF)));
  ASSERT_TRUE(save(dib.dib, dir.file("out.jp2"), settings_for(PIXKIT_FORMAT_JP2)));
  if (have_program("tiffinfo")) {
    EXPECT_TRUE(run("tiffinfo -D " + quoted(dir.file("out.tif"))));
  }
  if (have_program("opj_decompress")) {
    EXPECT_TRUE(run("opj_decompress -i " + quoted(dir.file("out.jp2")) + " -o " + quoted(dir.file("j.ppm"))));
  }
}

namespace {

struct JpegHeader {
  int luma_h = 0, luma_v = 0;
  bool progressive = false;
};

JpegHeader read_jpeg_header(const std::string& path) {
  const std::vector<uint8_t> bytes = read_file(path);
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), (unsigned long)bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  JpegHeader h{cinfo.comp_info[0].h_samp_factor, cinfo.comp_info[0].v_samp_factor,
               cinfo.progressive_mode != 0};
  jpeg_destroy_decompress(&cinfo);
  return h;
}

}  // namespace

TEST(ExportWriters, JpegChromaProgressiveAndHuffmanSettingsReachTheFile) {
  TempDir dir;
  OwnedDib dib(smooth_picture(24));
  struct Case {
    int chroma, h, v;
  };
  for (const Case c : {Case{PIXKIT_CHROMA_DEFAULT, 2, 2}, Case{PIXKIT_CHROMA_444, 1, 1},
                       Case{PIXKIT_CHROMA_422, 2, 1}, Case{PIXKIT_CHROMA_420, 2, 2}}) {
    PixkitSaveSettings s = settings_for(PIXKIT_FORMAT_JPG);
    s.jpeg_chroma = c.chroma;
    ASSERT_TRUE(save(dib.dib, dir.file("c.jpg"), s));
    const JpegHeader h = read_jpeg_header(dir.file("c.jpg"));
    EXPECT_EQ(h.luma_h, c.h);
    EXPECT_EQ(h.luma_v, c.v);
    EXPECT_FALSE(h.progressive);
  }
  PixkitSaveSettings s = settings_for(PIXKIT_FORMAT_JPG);
  s.jpeg_progressive = 1;
  ASSERT_TRUE(save(dib.dib, dir.file("p.jpg"), s));
  EXPECT_TRUE(read_jpeg_header(dir.file("p.jpg")).progressive);

  // Optimised tables code the same coefficients in fewer bytes.
  ASSERT_TRUE(save(dib.dib, dir.file("plain.jpg"), settings_for(PIXKIT_FORMAT_JPG)));
  s = settings_for(PIXKIT_FORMAT_JPG);
  s.jpeg_optimize_huffman = 1;
  ASSERT_TRUE(save(dib.dib, dir.file("opt.jpg"), s));
  EXPECT_LT(read_file(dir.file("opt.jpg")).size(), read_file(dir.file("plain.jpg")).size());
  OwnedDib plain(OpenDib(dir.file("plain.jpg").c_str(), 0, nullptr));
  OwnedDib optimised(OpenDib(dir.file("opt.jpg").c_str(), 0, nullptr));
  EXPECT_EQ(pixels_of(plain.dib), pixels_of(optimised.dib));
}

TEST(ExportWriters, AllZeroSettingsWriteSaveDibWithsBytes) {
  TempDir dir;
  OwnedDib dib(smooth_picture(24));
  for (const int format : {PIXKIT_FORMAT_JPG, PIXKIT_FORMAT_BMP, PIXKIT_FORMAT_TIF}) {
    ASSERT_TRUE(save(dib.dib, dir.file("as"), settings_for(format)));
    ASSERT_EQ(SaveDibWith(&dib.dib, dir.file("with").c_str(), format, nullptr, nullptr), 1);
    EXPECT_EQ(read_file(dir.file("as")), read_file(dir.file("with")));
  }
  // The new formats stay SaveDibAs's alone.
  int reason = 0;
  EXPECT_EQ(SaveDibWith(&dib.dib, dir.file("x.png").c_str(), PIXKIT_FORMAT_PNG, nullptr, &reason), 0);
  EXPECT_EQ(reason, PIXKIT_REASON_NO_PICTURE);
}
