// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/stamp_text.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <cstring>

#include "image/dib_access.h"

namespace stamptest {

// The text pass needs a QGuiApplication; the run's tests share one, made on
// first use with the offscreen platform and destroyed after the last test.
QGuiApplication* g_app = nullptr;

void ensure_gui_application() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "run_tests";
  static char* argv[] = {name, nullptr};
  g_app = new QGuiApplication(argc, argv);
}

class GuiApplicationEnvironment : public testing::Environment {
 public:
  void TearDown() override {
    delete g_app;
    g_app = nullptr;
  }
};
const testing::Environment* const kGuiEnvironment =
    testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment);

}  // namespace stamptest

namespace {

TDibImage white_image(int w, int h) {
  TDibImage d = newdib(w, h, 24, nullptr, 0);
  std::memset(d.Bits, 0xFF, size_t(d.RowBytes) * size_t(h));
  return d;
}

TextStampSettings text_settings(const std::string& text, int position, int64_t margin, int transparency) {
  TextStampSettings s;
  s.text = text;
  s.font.name = "DejaVu Sans";
  s.font.height = -19;
  s.position = position;
  s.margin = margin;
  s.transparency = transparency;
  return s;
}

std::vector<uint8_t> bytes_of(const TDibImage& d) {
  return std::vector<uint8_t>(d.Bits, d.Bits + size_t(d.RowBytes) * size_t(DibHeight(d)));
}

// Image bytes after stamping text onto a white w x h image.
std::vector<uint8_t> stamped(const TextStampSettings& s, int w = 200, int h = 120) {
  TDibImage d = white_image(w, h);
  StampText(d, s);
  std::vector<uint8_t> out = bytes_of(d);
  deldib(&d);
  return out;
}

class StampTextTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { stamptest::ensure_gui_application(); }
};

}  // namespace

TEST_F(StampTextTest, NoLinesLeaveTheImageUnchanged) {
  const std::vector<uint8_t> white = stamped(text_settings("x", 4, 20, 100));
  EXPECT_EQ(stamped(text_settings("", 4, 0, 0)), white);
  // Text placements stop at 8.
  EXPECT_EQ(stamped(text_settings("Wasserzeichen", 9, 0, 0)), white);
  EXPECT_NE(stamped(text_settings("Wasserzeichen", 4, 0, 0)), white);
}

TEST_F(StampTextTest, BlockIsMeasuredFromLineSizesAndPlaced) {
  TextStampSettings s = text_settings("Wasser\nZeichen Stempora\nab", 8, 20, 75);
  const TextBlockLayout layout = LayOutTextBlock(s, 800, 600);
  QImage device(1, 1, QImage::Format_RGB32);
  const QFontMetrics fm(MakeTextQFont(s.font), &device);
  const int64_t widest = fm.horizontalAdvance("Zeichen Stempora");
  ASSERT_GT(fm.height(), 0);
  EXPECT_EQ(layout.line_height, fm.height());
  EXPECT_EQ(layout.width, widest);
  EXPECT_EQ(layout.height, 3 * fm.height());
  EXPECT_EQ(layout.line_widths,
            (std::vector<int64_t>{fm.horizontalAdvance("Wasser"), widest, fm.horizontalAdvance("ab")}));
  ASSERT_TRUE(layout.place.valid);
  EXPECT_EQ(layout.place.left, 800 - 20 - widest);
  EXPECT_EQ(layout.place.top, 600 - 20 - 3 * fm.height());
}

TEST_F(StampTextTest, PixelHeightFollowsTheFontHeight) {
  TextStampSettings s = text_settings("M", 0, 0, 0);
  s.font.height = -40;
  EXPECT_EQ(MakeTextQFont(s.font).pixelSize(), 40);
  s.font.height = 40;  // cell height: the measured height comes out near it
  QImage device(1, 1, QImage::Format_RGB32);
  EXPECT_NEAR(QFontMetrics(MakeTextQFont(s.font), &device).height(), 40, 1);
  s.font.height = 0;  // 14 points at 96 pixels per inch
  EXPECT_EQ(MakeTextQFont(s.font).pixelSize(), 19);
  s.font.height = int32_t(0x80000000u);
  EXPECT_EQ(MakeTextQFont(s.font).pixelSize(), 32768);
}

TEST_F(StampTextTest, EmptyLinesKeepTheirPlaceAndATrailingBreakDoesNot) {
  const TextBlockLayout three = LayOutTextBlock(text_settings("A\n\nB", 4, 20, 75), 800, 600);
  EXPECT_EQ(three.lines, (std::vector<std::string>{"A", " ", "B"}));
  EXPECT_EQ(three.height, 3 * three.line_height);

  const std::vector<uint8_t> plain = stamped(text_settings("Abc\nDef", 4, 20, 0));
  EXPECT_EQ(stamped(text_settings("Abc\nDef\n", 4, 20, 0)), plain);
  EXPECT_EQ(stamped(text_settings("Abc\r\nDef\r\n", 4, 20, 0)), plain);
  EXPECT_NE(stamped(text_settings("Abc\nDef\n\n", 4, 20, 0)), plain);  // a third, blank line
}

TEST_F(StampTextTest, DefaultColourStampsRedEightAtSeventyFivePercent) {
  TextStampSettings s = text_settings("HHHH", 4, 0, 75);
  ASSERT_EQ(uint32_t(s.font.color), 0x80000008u);
  TDibImage d = white_image(120, 40);
  StampText(d, s);
  int stamped_pixels = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) {
      const uint32_t v = getpixel(&d, x, y);
      // Blue and green: 255 * 75 div 100 = 191; red (255 * 75 + 8 * 25) div 100 = 193.
      if (v == 0xBFBFC1u)
        ++stamped_pixels;
      else
        ASSERT_EQ(v, 0xFFFFFFu) << x << "," << y;
    }
  }
  EXPECT_GT(stamped_pixels, 20);
  deldib(&d);
}

TEST_F(StampTextTest, TransparencyHundredLeavesTheImageUnchanged) {
  EXPECT_EQ(stamped(text_settings("Wasserzeichen", 4, 0, 100)), stamped(text_settings("", 4, 0, 100)));
}

TEST_F(StampTextTest, NonTwentyFourBitRecordsAreLeftAlone) {
  TDibImage d = newdib(50, 20, 8, nullptr, 0);
  StampText(d, text_settings("Text", 0, 0, 0));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_EQ(getpixel(&d, x, y), 0u);
  deldib(&d);
  TDibImage empty;
  std::memset(&empty, 0, sizeof empty);
  StampText(empty, text_settings("Text", 0, 0, 0));
}

TEST_F(StampTextTest, MissingBlackFaceIsReplacedByAHeavyOne) {
  const TextFont start;  // "Arial Black"
  const QFontInfo chosen(MakeTextQFont(start));
  if (chosen.family() == QStringLiteral("Arial Black")) GTEST_SKIP() << "the face is installed";
  EXPECT_GE(chosen.weight(), int(QFont::Bold)) << chosen.family().toStdString();
  EXPECT_FALSE(chosen.italic());

  TextFont named = start;
  named.name = "Gibtsnicht Light";
  EXPECT_LT(QFontInfo(MakeTextQFont(named)).weight(), int(QFont::Normal));
  named.style = kFontBold;  // the style bits apply on top
  EXPECT_GE(QFontInfo(MakeTextQFont(named)).weight(), int(QFont::Bold));
  named.name = "Gibtsnicht Condensed";
  named.style = 0;
  TextFont wide = named;
  wide.name = "Gibtsnicht";
  QImage device(1, 1, QImage::Format_RGB32);
  EXPECT_LT(QFontMetrics(MakeTextQFont(named), &device).horizontalAdvance("Wasserzeichen"),
            QFontMetrics(MakeTextQFont(wide), &device).horizontalAdvance("Wasserzeichen"));
}
