// SPDX-License-Identifier: GPL-3.0-or-later
// The ILBM reader on tiny hand-made files whose pixels are worked out by
// hand: bit planes, ByteRun1, EHB, HAM, the chunky PBM variant, mask planes,
// deep ILBM and the colour map rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/record_storage.h"
#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::pixels_of;
using testsupport::Rgba;

void append_be32(Bytes& out, uint32_t v) {
  out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

// One chunk with its length and pad byte.
Bytes chunk(const std::string& id, const Bytes& data) {
  Bytes out(id.begin(), id.end());
  append_be32(out, uint32_t(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
  return out;
}

Bytes form(const std::string& type, const std::vector<Bytes>& chunks) {
  Bytes inner(type.begin(), type.end());
  for (const Bytes& c : chunks) inner.insert(inner.end(), c.begin(), c.end());
  Bytes out{'F', 'O', 'R', 'M'};
  append_be32(out, uint32_t(inner.size()));
  out.insert(out.end(), inner.begin(), inner.end());
  return out;
}

Bytes bmhd(int width, int height, int planes, int masking = 0, int compression = 0, int flags = 0x80) {
  return chunk("BMHD",
               {uint8_t(width >> 8), uint8_t(width),   uint8_t(height >> 8), uint8_t(height), 0, 0, 0, 0,
                uint8_t(planes),     uint8_t(masking), uint8_t(compression), uint8_t(flags),  0, 0, 1, 1,
                uint8_t(width >> 8), uint8_t(width),   uint8_t(height >> 8), uint8_t(height)});
}

Bytes camg(uint32_t mode) {
  Bytes data;
  append_be32(data, mode);
  return chunk("CAMG", data);
}

struct Loaded : testsupport::OwnedDib {
  explicit Loaded(const Bytes& file) : OwnedDib(pixkit::open_dib_from_memory(file)) {}
};

Rgba rgb(int width, int height, std::vector<uint8_t> pixels) {
  return Rgba{width, height, 3, std::move(pixels)};
}

// Two colours; pixels of a 3 x 2 picture: row 0 is 1, 0, 1 and row 1 is 0, 1, 1.
const Bytes kTwoColours = chunk("CMAP", {10, 20, 30, 200, 100, 50});
const Rgba kThreeByTwo =
    rgb(3, 2, {200, 100, 50, 10, 20, 30, 200, 100, 50, 10, 20, 30, 200, 100, 50, 200, 100, 50});

TEST(IlbmReader, OnePlaneUncompressedGivesOneBitPicture) {
  Loaded l(form("ILBM", {bmhd(3, 2, 1), kTwoColours, chunk("BODY", {0xA0, 0x00, 0x60, 0x00})}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(l.bits(), 1);
  EXPECT_EQ(pixels_of(l.dib), kThreeByTwo);
}

TEST(IlbmReader, ByteRun1RepeatLiteralAndNoOpRuns) {
  // 16 x 1, two planes: plane 0 = FF 00 as a literal run, plane 1 = 0F 0F as
  // a repeat run, with a -128 no-op in front.
  const Bytes body{0x80, 0x01, 0xFF, 0x00, 0xFF, 0x0F};
  Loaded l(form("ILBM", {bmhd(16, 1, 2, 0, 1), chunk("CMAP", {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}),
                         chunk("BODY", body)}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(l.bits(), 4);
  const uint32_t expected[16] = {1, 1, 1, 1, 3, 3, 3, 3, 0, 0, 0, 0, 2, 2, 2, 2};
  for (int x = 0; x < 16; ++x) EXPECT_EQ(getpixel(&l.dib, x, 0), expected[x]) << x;
}

TEST(IlbmReader, MaskPlaneIsSkipped) {
  // Each row: plane 0, then a mask plane of all ones that must not be read
  // as the next row.
  Loaded l(form("ILBM", {bmhd(3, 2, 1, 1), kTwoColours,
                         chunk("BODY", {0xA0, 0x00, 0xFF, 0xFF, 0x60, 0x00, 0xFF, 0xFF})}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(l.dib), kThreeByTwo);
}

TEST(IlbmReader, UnknownAndOddLengthChunksAreSkipped) {
  Loaded l(form("ILBM", {chunk("ANNO", {'a', 'b', 'c'}), bmhd(3, 2, 1), chunk("GRAB", {0, 1, 0, 1}),
                         kTwoColours, chunk("BODY", {0xA0, 0x00, 0x60, 0x00})}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(l.dib), kThreeByTwo);
}

TEST(IlbmReader, TrailingBytesAfterTheFormAreIgnored) {
  Bytes file = form("ILBM", {bmhd(3, 2, 1), kTwoColours, chunk("BODY", {0xA0, 0x00, 0x60, 0x00})});
  file.insert(file.end(), {1, 2, 3, 4, 5});
  Loaded l(file);
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(l.dib), kThreeByTwo);
}

TEST(IlbmReader, ExtraHalfBriteAddsHalvedColours) {
  // 2 x 1, six planes: pixel 0 = index 1, pixel 1 = index 33 (1 + 32).
  Bytes colours(32 * 3, 0);
  colours[3] = 200, colours[4] = 101, colours[5] = 50;
  const Bytes body{0xC0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0};
  Loaded l(form("ILBM", {bmhd(2, 1, 6), camg(0x80), chunk("CMAP", colours), chunk("BODY", body)}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(l.bits(), 8);
  EXPECT_EQ(getpixel(&l.dib, 1, 0), 33u);
  EXPECT_EQ(pixels_of(l.dib), rgb(2, 1, {200, 101, 50, 100, 50, 25}));
}

TEST(IlbmReader, Ham6ModifiesOneComponentAndKeepsItsLowBits) {
  // Pixel values 0x02 (palette 2), 0x2F (red := F), 0x10 (blue := 0),
  // 0x3A (green := A), spread over six planes.
  Bytes colours(16 * 3, 0);
  colours[6] = 0x12, colours[7] = 0x34, colours[8] = 0x56;
  const Bytes body{0x40, 0, 0xD0, 0, 0x40, 0, 0x50, 0, 0x30, 0, 0x50, 0};
  Loaded l(form("ILBM", {bmhd(4, 1, 6), camg(0x800), chunk("CMAP", colours), chunk("BODY", body)}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(l.bits(), 24);
  EXPECT_EQ(pixels_of(l.dib),
            rgb(4, 1, {0x12, 0x34, 0x56, 0xF2, 0x34, 0x56, 0xF2, 0x34, 0x06, 0xF2, 0xA4, 0x06}));
}

TEST(IlbmReader, Ham8ModifiesTheTopSixBits) {
  // 2 x 1, eight planes: pixel 0 = palette 1 (0x41, 0x42, 0x43), pixel 1 =
  // 0x80 | 0x3F: red := 0x3F << 2 with the low two bits of 0x41 kept.
  Bytes colours(64 * 3, 0);
  colours[3] = 0x41, colours[4] = 0x42, colours[5] = 0x43;
  Bytes body;
  const uint8_t planes[8] = {0xC0, 0x40, 0x40, 0x40, 0x40, 0x40, 0x00, 0x40};
  for (uint8_t p : planes) body.insert(body.end(), {p, 0});
  Loaded l(form("ILBM", {bmhd(2, 1, 8), camg(0x800), chunk("CMAP", colours), chunk("BODY", body)}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(l.dib), rgb(2, 1, {0x41, 0x42, 0x43, 0xFD, 0x42, 0x43}));
}

TEST(IlbmReader, ChunkyPbmRowsArePaddedToEvenLength) {
  const Bytes colours{1, 2, 3, 4, 5, 6, 7, 8, 9};
  Loaded l(
      form("PBM ", {bmhd(3, 2, 8), chunk("CMAP", colours), chunk("BODY", {0, 1, 2, 0xEE, 2, 1, 0, 0xEE})}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(l.bits(), 4);
  EXPECT_EQ(pixels_of(l.dib), rgb(3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 7, 8, 9, 4, 5, 6, 1, 2, 3}));
}

TEST(IlbmReader, ChunkyPbmWithByteRun1) {
  // Row 0: repeat 2 x 4 colours; row 1: literal 3, 2, 1, 0.
  Loaded l(form("PBM ", {bmhd(4, 2, 8, 0, 1), chunk("CMAP", {0, 0, 0, 10, 10, 10, 20, 20, 20, 30, 30, 30}),
                         chunk("BODY", {0xFD, 2, 0x03, 3, 2, 1, 0})}));
  ASSERT_NE(l.dib.Bits, nullptr);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(getpixel(&l.dib, x, 0), 2u);
    EXPECT_EQ(getpixel(&l.dib, x, 1), uint32_t(3 - x));
  }
}

TEST(IlbmReader, Deep24PlanesAreRedGreenBlueLowBitFirst) {
  // One pixel: red 0x81 (planes 0, 7), green 0x42 (9, 14), blue 0x24 (18, 21).
  Bytes body;
  for (int p = 0; p < 24; ++p) {
    const bool set = p == 0 || p == 7 || p == 9 || p == 14 || p == 18 || p == 21;
    body.insert(body.end(), {uint8_t(set ? 0x80 : 0), 0});
  }
  Loaded l(form("ILBM", {bmhd(1, 1, 24), chunk("BODY", body)}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(l.bits(), 24);
  EXPECT_EQ(pixels_of(l.dib), rgb(1, 1, {0x81, 0x42, 0x24}));
}

TEST(IlbmReader, Deep32KeepsRealAlphaAndDropsOpaqueAlpha) {
  // Two pixels, both red 0x01; alpha planes 24..31: pixel 0 alpha 0x80,
  // pixel 1 alpha 0xFF.
  Bytes body;
  for (int p = 0; p < 32; ++p) {
    uint8_t bits = 0;
    if (p == 0) bits = 0xC0;
    if (p >= 24) bits = p == 31 ? 0xC0 : 0x40;
    body.insert(body.end(), {bits, 0});
  }
  Loaded translucent(form("ILBM", {bmhd(2, 1, 32), chunk("BODY", body)}));
  ASSERT_NE(translucent.dib.Bits, nullptr);
  EXPECT_EQ(translucent.bits(), 32);
  EXPECT_EQ(getpixel(&translucent.dib, 0, 0), 0x80000001u);
  EXPECT_EQ(getpixel(&translucent.dib, 1, 0), 0xFF000001u);

  for (int p = 24; p < 32; ++p) body[size_t(2 * p)] = 0xC0;
  Loaded opaque(form("ILBM", {bmhd(2, 1, 32), chunk("BODY", body)}));
  ASSERT_NE(opaque.dib.Bits, nullptr);
  EXPECT_EQ(opaque.bits(), 24);
  EXPECT_EQ(pixels_of(opaque.dib), rgb(2, 1, {1, 0, 0, 1, 0, 0}));
}

TEST(IlbmReader, MissingColourMapGivesGreyRamp) {
  // 4 x 1, two planes, indices 0, 1, 2, 3.
  Loaded l(form("ILBM", {bmhd(4, 1, 2), chunk("BODY", {0x50, 0, 0x30, 0})}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(l.dib), rgb(4, 1, {0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}));
}

TEST(IlbmReader, FourBitColourMapIsScaledOnlyWithoutTheEightBitFlag) {
  const Bytes colours{0xF0, 0x00, 0x80, 0x10, 0x20, 0x30};
  const Bytes body{0x40, 0x00};  // 2 x 1: indices 0, 1
  Loaded old_style(form("ILBM", {bmhd(2, 1, 1, 0, 0, 0), chunk("CMAP", colours), chunk("BODY", body)}));
  ASSERT_NE(old_style.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(old_style.dib), rgb(2, 1, {0xFF, 0x00, 0x88, 0x11, 0x22, 0x33}));

  Loaded flagged(form("ILBM", {bmhd(2, 1, 1, 0, 0, 0x80), chunk("CMAP", colours), chunk("BODY", body)}));
  ASSERT_NE(flagged.dib.Bits, nullptr);
  EXPECT_EQ(pixels_of(flagged.dib), rgb(2, 1, {0xF0, 0x00, 0x80, 0x10, 0x20, 0x30}));
}

TEST(IlbmReader, ColourMapLongerThanThePlanesAllowIsCut) {
  // One plane but four colours stored: the picture stays at 1 bit.
  Loaded l(form("ILBM", {bmhd(3, 2, 1), chunk("CMAP", {10, 20, 30, 200, 100, 50, 1, 1, 1, 2, 2, 2}),
                         chunk("BODY", {0xA0, 0x00, 0x60, 0x00})}));
  ASSERT_NE(l.dib.Bits, nullptr);
  EXPECT_EQ(l.bits(), 1);
  EXPECT_EQ(pixels_of(l.dib), kThreeByTwo);
}

TEST(IlbmReader, PictureOverTheLimitsIsRefused) {
  PixkitSetLimits(2, 100);
  Loaded l(form("ILBM", {bmhd(3, 2, 1), kTwoColours, chunk("BODY", {0xA0, 0x00, 0x60, 0x00})}));
  PixkitSetLimits(0, 0);
  EXPECT_EQ(l.dib.Bits, nullptr);
}

}  // namespace
