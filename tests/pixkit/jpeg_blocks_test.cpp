// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a JPEG with the untouched blocks kept: outside the MCUs under the
// stamped rectangles the output's coefficients are the source's, read back
// through libjpeg's coefficient interface; inside, the stamp shows.
#include <gtest/gtest.h>

// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "codecs/jpeg/blocks/jpeg_blocks.h"
#include "pixkit/pixkit.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;

// Every block of every component, in rows, as libjpeg reads them.
struct Coefficients {
  bool progressive = false;
  unsigned restart_interval = 0;
  int max_h = 1, max_v = 1;
  std::vector<int> h, v;
  std::vector<JDIMENSION> across, down;  // real blocks, without MCU padding
  std::vector<std::vector<std::array<JCOEF, DCTSIZE2>>> blocks;
};

Coefficients coefficients_of(const std::string& path) {
  Coefficients c;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return c;
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);
  c.progressive = cinfo.progressive_mode;
  c.restart_interval = cinfo.restart_interval;
  c.max_h = cinfo.max_h_samp_factor;
  c.max_v = cinfo.max_v_samp_factor;
  for (int ci = 0; ci < cinfo.num_components; ++ci) {
    const jpeg_component_info& comp = cinfo.comp_info[ci];
    c.h.push_back(comp.h_samp_factor);
    c.v.push_back(comp.v_samp_factor);
    c.across.push_back(comp.width_in_blocks);
    c.down.push_back(comp.height_in_blocks);
    std::vector<std::array<JCOEF, DCTSIZE2>> all;
    for (JDIMENSION row = 0; row < comp.height_in_blocks; ++row) {
      JBLOCKARRAY r =
          cinfo.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo), arrays[ci], row, 1, FALSE);
      for (JDIMENSION bx = 0; bx < comp.width_in_blocks; ++bx) {
        std::array<JCOEF, DCTSIZE2> block;
        std::memcpy(block.data(), r[0][bx], sizeof(JBLOCK));
        all.push_back(block);
      }
    }
    c.blocks.push_back(std::move(all));
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return c;
}

// A busy picture: ramps and a checker, so that every block has detail.
Rgba busy_picture(int width, int height) {
  Rgba p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      p.pixels.push_back(uint8_t(x * 255 / (width - 1)));
      p.pixels.push_back(uint8_t(((x / 3 + y / 5) % 2) ? 200 : 60));
      p.pixels.push_back(uint8_t(y * 255 / (height - 1)));
    }
  return p;
}

std::string make_source(const TempDir& dir, const std::string& options, int width = 203, int height = 150) {
  write_pnm(dir.file("in.ppm"), busy_picture(width, height));
  const std::string path = dir.file("source.jpg");
  EXPECT_TRUE(run("cjpeg -quality 90 " + options + " -outfile " + path + " " + dir.file("in.ppm")));
  return path;
}

// Paints the rectangle pure red into the picture handed over; checks that
// the pixels handed over inside it are those of a whole decode.
struct RedSquare {
  PixkitRect rect;
  const TDibImage* whole = nullptr;  // the source as OpenDib gives it
  int mismatches = 0;
  int calls = 0;
};

int paint_red(void* owner, TDibImage* picture) {
  auto* square = static_cast<RedSquare*>(owner);
  ++square->calls;
  for (int y = square->rect.top; y < square->rect.bottom; ++y)
    for (int x = square->rect.left; x < square->rect.right; ++x) {
      if (square->whole && getpixel(picture, x, y) != getpixel(square->whole, x, y)) ++square->mismatches;
      setpixel(picture, x, y, 0x0000FF);
    }
  return 1;
}

constexpr int kAnyWay = pixkit::kBitCopy | pixkit::kRecoded | pixkit::kCoefficients;

// Saves by the first of the ways allowed that can write the source; taken
// says which one did.
int save_with_red(const std::string& source, const std::string& target, RedSquare& square, int ways = kAnyWay,
                  pixkit::KeptBlocksWay* taken = nullptr) {
  int reason = -1;
  const int result = pixkit::save_jpeg_keeping_blocks(source.c_str(), target.c_str(), &square.rect, 1,
                                                      paint_red, &square, nullptr, &reason, ways, taken);
  if (result == 1) {
    EXPECT_EQ(reason, PIXKIT_REASON_NONE);
  }
  return result;
}

// Whether block (bx, by) of component ci lies in an MCU under the stored
// pixel rectangle.
bool under(const Coefficients& c, size_t ci, JDIMENSION bx, JDIMENSION by, const PixkitRect& rect) {
  const int mcu_w = 8 * c.max_h, mcu_h = 8 * c.max_v;
  const int mx = int(bx) / c.h[ci], my = int(by) / c.v[ci];
  return mx >= rect.left / mcu_w && mx <= (rect.right - 1) / mcu_w && my >= rect.top / mcu_h &&
         my <= (rect.bottom - 1) / mcu_h;
}

// Counts blocks that differ outside and inside the MCUs under rect.
void compare_blocks(const Coefficients& a, const Coefficients& b, const PixkitRect& rect,
                    int& changed_outside, int& changed_inside, int& inside) {
  changed_outside = changed_inside = inside = 0;
  ASSERT_EQ(a.blocks.size(), b.blocks.size());
  for (size_t ci = 0; ci < a.blocks.size(); ++ci) {
    ASSERT_EQ(a.across[ci], b.across[ci]);
    ASSERT_EQ(a.down[ci], b.down[ci]);
    for (JDIMENSION by = 0; by < a.down[ci]; ++by)
      for (JDIMENSION bx = 0; bx < a.across[ci]; ++bx) {
        const size_t i = size_t(by) * a.across[ci] + bx;
        const bool same = a.blocks[ci][i] == b.blocks[ci][i];
        if (under(a, ci, bx, by, rect)) {
          ++inside;
          if (!same) ++changed_inside;
        } else if (!same) {
          ++changed_outside;
        }
      }
  }
}

struct SourceKind {
  const char* options;          // for cjpeg
  pixkit::KeptBlocksWay first;  // the way that writes it when any may
};

constexpr pixkit::KeptBlocksWay kBits = pixkit::kBitCopy;

class JpegKeptBlocksBySampling : public ::testing::TestWithParam<SourceKind> {};

// Every way of writing, the bit copy and the recoding where the source has
// one scan and the coefficient path, gives the same coefficients: the
// source's outside the MCUs under the stamp.
TEST_P(JpegKeptBlocksBySampling, OnlyBlocksUnderTheStampChangeEitherWay) {
  TempDir dir;
  const std::string source = make_source(dir, GetParam().options);
  TDibImage whole = OpenDib(source.c_str(), 0, nullptr);
  ASSERT_NE(whole.Bits, nullptr);
  // Reaching over the right edge, which is not on an MCU boundary.
  RedSquare square{{170, 61, 210, 99}, &whole};
  // The bit copy and the recoding need one scan.
  const bool one_scan = GetParam().first != pixkit::kCoefficients;
  pixkit::KeptBlocksWay taken{};
  ASSERT_EQ(save_with_red(source, dir.file("bits.jpg"), square, kAnyWay, &taken), 1);
  EXPECT_EQ(taken, GetParam().first);
  EXPECT_EQ(square.mismatches, 0) << "the stamp saw other pixels than a whole decode gives";
  ASSERT_EQ(save_with_red(source, dir.file("recoded.jpg"), square, pixkit::kRecoded | pixkit::kCoefficients,
                          &taken),
            1);
  EXPECT_EQ(taken, one_scan ? pixkit::kRecoded : pixkit::kCoefficients);
  ASSERT_EQ(save_with_red(source, dir.file("coefficients.jpg"), square, pixkit::kCoefficients, &taken), 1);
  EXPECT_EQ(taken, pixkit::kCoefficients);
  EXPECT_EQ(square.mismatches, 0);
  deldib(&whole);

  const Coefficients before = coefficients_of(source), after = coefficients_of(dir.file("bits.jpg"));
  int changed_outside, changed_inside, inside;
  compare_blocks(before, after, square.rect, changed_outside, changed_inside, inside);
  EXPECT_EQ(changed_outside, 0);
  EXPECT_GT(changed_inside, inside / 2);
  EXPECT_EQ(coefficients_of(dir.file("coefficients.jpg")).blocks, after.blocks);
  EXPECT_EQ(coefficients_of(dir.file("recoded.jpg")).blocks, after.blocks);

  TDibImage out = OpenDib(dir.file("bits.jpg").c_str(), 0, nullptr);
  ASSERT_NE(out.Bits, nullptr);
  // A grey source stays grey: red shows as its luma.
  const uint32_t centre = getpixel(&out, 185, 80);
  const bool grey = std::string(GetParam().options) == "-grayscale";
  EXPECT_NEAR(int(centre & 255), grey ? 76 : 255, 12);
  EXPECT_NEAR(int((centre >> 8) & 255), grey ? 76 : 0, 12);
  deldib(&out);
}

INSTANTIATE_TEST_SUITE_P(Samplings, JpegKeptBlocksBySampling,
                         ::testing::Values(SourceKind{"-sample 2x2", kBits}, SourceKind{"-sample 2x1", kBits},
                                           SourceKind{"-sample 1x1", kBits}, SourceKind{"-grayscale", kBits},
                                           SourceKind{"-progressive", pixkit::kCoefficients},
                                           SourceKind{"-restart 2", kBits},
                                           SourceKind{"-restart 3B -sample 2x1", kBits},
                                           // The red square needs symbols these tables lack.
                                           SourceKind{"-optimize -restart 1 -sample 1x2", pixkit::kRecoded}));

// Optimised tables hold only the symbols the source used: a flat picture
// has no large coefficients, so the red square's edges need symbols it
// lacks, and the scan is recoded with tables made for the output, which
// keep it as small as the coefficient path's standard ones would not.
TEST(JpegKeptBlocks, TablesLackingASymbolGetTablesOfTheirOwn) {
  TempDir dir;
  Rgba flat;
  flat.width = 64;
  flat.height = 48;
  flat.pixels.assign(size_t(64 * 48 * 3), 128);
  write_pnm(dir.file("flat.ppm"), flat);
  const std::string source = dir.file("flat.jpg");
  ASSERT_TRUE(run("cjpeg -optimize -outfile " + source + " " + dir.file("flat.ppm")));
  RedSquare square{{20, 20, 30, 30}};
  pixkit::KeptBlocksWay taken{};
  ASSERT_EQ(save_with_red(source, dir.file("out.jpg"), square, kAnyWay, &taken), 1);
  EXPECT_EQ(taken, pixkit::kRecoded);
  EXPECT_EQ(square.calls, 1);
  ASSERT_EQ(save_with_red(source, dir.file("standard.jpg"), square, pixkit::kCoefficients), 1);
  EXPECT_EQ(coefficients_of(dir.file("standard.jpg")).blocks, coefficients_of(dir.file("out.jpg")).blocks);
  EXPECT_LT(read_file(dir.file("out.jpg")).size(), read_file(dir.file("standard.jpg")).size());
  int changed_outside, changed_inside, inside;
  compare_blocks(coefficients_of(source), coefficients_of(dir.file("out.jpg")), square.rect, changed_outside,
                 changed_inside, inside);
  EXPECT_EQ(changed_outside, 0);
  EXPECT_GT(changed_inside, 0);
}

// Counts as skewed as Fibonacci numbers make a code 40 bits deep; the table
// must still be a prefix code of at most 16 bits, leave the code of all
// ones free and code every symbol counted.
TEST(JpegKeptBlocks, OptimalTablesFitSixteenBitsAndCodeEverySymbolCounted) {
  uint64_t counts[257] = {};
  uint64_t a = 1, b = 1;
  for (int symbol = 0; symbol < 40; ++symbol) {
    counts[symbol * 5] = a;
    const uint64_t next = a + b;
    a = b;
    b = next;
  }
  JHUFF_TBL table;
  pixkit::make_optimal_table(counts, table);
  double kraft = 0;
  int symbols = 0;
  for (int length = 1; length <= 16; ++length) {
    kraft += table.bits[length] / double(1 << length);
    symbols += table.bits[length];
  }
  EXPECT_EQ(symbols, 40);
  EXPECT_LT(kraft, 1.0);  // the all-ones code stays free
  pixkit::HuffmanEncodeTable encode;
  pixkit::make_encode_table(table, encode);
  for (int symbol = 0; symbol < 256; ++symbol)
    EXPECT_EQ(encode.length[symbol] != 0, counts[symbol] != 0) << symbol;
  // The most frequent symbols get the shortest codes.
  EXPECT_LE(encode.length[39 * 5], encode.length[0]);
  pixkit::HuffmanDecodeTable decode;
  EXPECT_TRUE(pixkit::make_decode_table(table, decode));
}

TEST(JpegKeptBlocks, MarkOnMcuEdgesChangesExactlyTheMcuUnderIt) {
  TempDir dir;
  const std::string source = make_source(dir, "-sample 2x2");
  RedSquare square{{32, 48, 48, 64}};  // MCU (2, 3) exactly: an unchanged MCU follows it
  ASSERT_EQ(save_with_red(source, dir.file("out.jpg"), square), 1);
  const Coefficients before = coefficients_of(source), after = coefficients_of(dir.file("out.jpg"));
  int changed_outside, changed_inside, inside;
  compare_blocks(before, after, square.rect, changed_outside, changed_inside, inside);
  EXPECT_EQ(inside, 6);  // four luma blocks and one of each chroma
  EXPECT_EQ(changed_outside, 0);
  EXPECT_EQ(changed_inside, 6);
}

TEST(JpegKeptBlocks, ProgressiveAndRestartIntervalsStay) {
  TempDir dir;
  RedSquare square{{0, 0, 20, 20}};
  ASSERT_EQ(save_with_red(make_source(dir, "-progressive"), dir.file("p.jpg"), square), 1);
  EXPECT_TRUE(coefficients_of(dir.file("p.jpg")).progressive);
  ASSERT_EQ(save_with_red(make_source(dir, "-restart 3B"), dir.file("r.jpg"), square), 1);
  EXPECT_EQ(coefficients_of(dir.file("r.jpg")).restart_interval, 3u);
}

// A minimal EXIF block: IFD0 with the orientation only.
std::vector<uint8_t> exif_app1(unsigned orientation) {
  std::vector<uint8_t> block = {
      'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, uint8_t(orientation),
      0,   0,   0,  0, 0, 0, 0};
  std::vector<uint8_t> payload = {'E', 'x', 'i', 'f', 0, 0};
  payload.insert(payload.end(), block.begin(), block.end());
  std::vector<uint8_t> m = {0xFF, 0xE1, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)};
  m.insert(m.end(), payload.begin(), payload.end());
  return m;
}

TEST(JpegKeptBlocks, TurnedPhotoShowsTheStampWhereTheUprightPictureHasIt) {
  TempDir dir;
  std::vector<uint8_t> file = read_file(make_source(dir, "-sample 2x2", 203, 150));
  const std::vector<uint8_t> app1 = exif_app1(6);
  file.insert(file.begin() + 2, app1.begin(), app1.end());
  const std::string source = dir.file("turned.jpg");
  write_file(source, file);

  TDibImage upright = OpenDib(source.c_str(), 0, nullptr);
  ASSERT_NE(upright.Bits, nullptr);
  ASSERT_EQ(upright.Info->bmiHeader.biWidth, 150);  // stored 203 x 150, shown turned
  PixkitJpegBlocksInfo info = PixkitJpegBlocksInfoInit();
  ASSERT_EQ(PixkitProbeJpegBlocks(source.c_str(), &info), 1);
  EXPECT_EQ(info.width, 150);
  EXPECT_EQ(info.height, 203);

  // The bottom right corner of the upright picture.
  RedSquare square{{110, 170, 150, 203}, &upright};
  ASSERT_EQ(save_with_red(source, dir.file("out.jpg"), square), 1);
  EXPECT_EQ(square.mismatches, 0);
  TDibImage out = OpenDib(dir.file("out.jpg").c_str(), 0, nullptr);
  ASSERT_NE(out.Bits, nullptr);
  ASSERT_EQ(out.Info->bmiHeader.biWidth, 150);
  long difference = 0;
  for (int y = 0; y < 203; ++y)
    for (int x = 0; x < 150; ++x) {
      const bool red = x >= 110 && y >= 170;
      const uint32_t expected = red ? 0x0000FFu : getpixel(&upright, x, y);
      const uint32_t got = getpixel(&out, x, y);
      for (int shift = 0; shift < 24; shift += 8)
        difference += std::abs(int((got >> shift) & 255) - int((expected >> shift) & 255));
    }
  EXPECT_LT(double(difference) / (150.0 * 203 * 3), 1.0);
  deldib(&out);
  deldib(&upright);
}

TEST(JpegKeptBlocks, SourcesWhoseBlocksCannotBeKeptAreDeclined) {
  TempDir dir;
  RedSquare square{{0, 0, 8, 8}};
  // Arithmetic coding.
  write_pnm(dir.file("in.ppm"), busy_picture(40, 30));
  ASSERT_TRUE(run("cjpeg -arithmetic -outfile " + dir.file("a.jpg") + " " + dir.file("in.ppm")));
  EXPECT_EQ(PixkitProbeJpegBlocks(dir.file("a.jpg").c_str(), nullptr), 0);
  EXPECT_EQ(save_with_red(dir.file("a.jpg"), dir.file("out.jpg"), square), PIXKIT_BLOCKS_DECLINED);
  // Not a JPEG.
  EXPECT_EQ(save_with_red(dir.file("in.ppm"), dir.file("out.jpg"), square), PIXKIT_BLOCKS_DECLINED);
  // A mark over most of the picture: coding every block again is faster.
  const std::string source = make_source(dir, "");
  RedSquare most{{0, 0, 203, 100}};
  EXPECT_EQ(save_with_red(source, dir.file("out.jpg"), most), PIXKIT_BLOCKS_DECLINED);
  EXPECT_EQ(most.calls, 0);
  EXPECT_FALSE(std::ifstream(dir.file("out.jpg")).good());
}

// Damaged scans (bytes flipped, the file cut short) are written or given
// up, never crash: the bit copy gives up on what it cannot read and libjpeg
// has the last word.
TEST(JpegKeptBlocks, DamagedScansAreWrittenOrGivenUp) {
  TempDir dir;
  // Standard tables (the bit copy) and optimised ones (the recoding).
  const std::vector<uint8_t> sources[2] = {read_file(make_source(dir, "-sample 2x2")),
                                           read_file(make_source(dir, "-optimize -restart 1"))};
  uint32_t seed = 12345;
  for (int round = 0; round < 48; ++round) {
    const std::vector<uint8_t>& good = sources[round % 2];
    std::vector<uint8_t> bad = good;
    if (round % 8 >= 6) {
      bad.resize(bad.size() * size_t(round) / 60);
    } else {
      for (int flip = 0; flip < 1 + round % 3; ++flip) {
        seed = seed * 1664525u + 1013904223u;
        bad[700 + (seed >> 8) % (bad.size() - 702)] ^= uint8_t(1 + (seed >> 3) % 255);
      }
    }
    write_file(dir.file("bad.jpg"), bad);
    RedSquare square{{40, 40, 60, 60}};
    const int result = save_with_red(dir.file("bad.jpg"), dir.file("out.jpg"), square);
    EXPECT_TRUE(result == 1 || result == PIXKIT_BLOCKS_DECLINED) << round;
  }
}

// What the kept blocks write decodes without a warning, however damaged
// the source's scan: coefficients libjpeg read from bad codes are left to
// the ordinary path, which codes its pixels anew. Sources the ordinary
// reader refuses (cut before the end marker) or reads only with warnings
// (restart markers all RST0) are declined alike.
TEST(JpegKeptBlocks, WhatIsWrittenDecodesCleanlyAndDamagedSourcesAreLeftToTheOrdinaryPath) {
  TempDir dir;
  const std::vector<uint8_t> optimised = read_file(make_source(dir, "-optimize"));
  uint32_t seed = 777;
  int written = 0;
  for (int round = 0; round < 40; ++round) {
    std::vector<uint8_t> bad = optimised;
    // A run of random bytes inside the scan, 0xFF left out so that no
    // marker is made.
    seed = seed * 1664525u + 1013904223u;
    const size_t at = 700 + (seed >> 8) % (bad.size() - 800);
    for (size_t i = at; i < at + 16 + size_t(round) * 2; ++i) {
      seed = seed * 1664525u + 1013904223u;
      bad[i] = uint8_t((seed >> 16) % 255);
    }
    write_file(dir.file("bad.jpg"), bad);
    std::remove(dir.file("out.jpg").c_str());
    RedSquare square{{40, 40, 60, 60}};
    if (save_with_red(dir.file("bad.jpg"), dir.file("out.jpg"), square) != 1) continue;
    ++written;
    EXPECT_TRUE(run("djpeg -outfile " + dir.file("out.ppm") + " " + dir.file("out.jpg") + " 2>/dev/null"))
        << round;
  }
  EXPECT_GT(written, 0);  // flips in the picture's bits that still decode are kept

  // Cut just before the end marker: no EOI.
  std::vector<uint8_t> cut = optimised;
  cut.resize(cut.size() - 2);
  write_file(dir.file("cut.jpg"), cut);
  RedSquare square{{40, 40, 60, 60}};
  EXPECT_EQ(save_with_red(dir.file("cut.jpg"), dir.file("out.jpg"), square), PIXKIT_BLOCKS_DECLINED);

  // Every restart marker RST0.
  std::vector<uint8_t> restarts = read_file(make_source(dir, "-restart 1"));
  int renumbered = 0;
  for (size_t i = 2; i + 1 < restarts.size(); ++i)
    if (restarts[i] == 0xFF && restarts[i + 1] >= 0xD1 && restarts[i + 1] <= 0xD7) {
      restarts[i + 1] = 0xD0;
      ++renumbered;
    }
  ASSERT_GT(renumbered, 0);
  write_file(dir.file("rst0.jpg"), restarts);
  EXPECT_EQ(save_with_red(dir.file("rst0.jpg"), dir.file("out.jpg"), square), PIXKIT_BLOCKS_DECLINED);
}

}  // namespace
