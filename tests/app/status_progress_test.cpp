// SPDX-License-Identifier: GPL-3.0-or-later
// The progress panel: the rectangle arithmetic, the increase path that
// paints only the new strip over the old bar, and the decrease path that
// repaints the whole status bar; the text panel a run writes to.
#include <QImage>
#include <QScreen>
#include <QTest>
#include <thread>

#include "form_fixture.h"

TEST(StatusProgressRect, FillsFromLeftByTruncatedShare) {
  const TRect panel{351, 3, 600, 18};  // 249 pixels wide
  EXPECT_EQ(ProgressFillRect(0, panel), (TRect{351, 3, 351, 18}));
  EXPECT_EQ(ProgressFillRect(50, panel), (TRect{351, 3, 475, 18}));  // 124.5 truncated
  EXPECT_EQ(ProgressFillRect(100, panel), (TRect{351, 3, 600, 18}));
}

TEST(StatusProgressRect, StrayPercentagesStayInsideThePanel) {
  const TRect panel{10, 0, 110, 5};
  EXPECT_EQ(ProgressFillRect(-20, panel).right, 10);
  EXPECT_EQ(ProgressFillRect(250, panel).right, 110);
  EXPECT_EQ(ProgressFillRect(INT32_MAX, panel).right, 110);
  EXPECT_EQ(ProgressFillRect(50, TRect{}).right, 0);
}

TEST(StatusProgressRect, ExclusiveEdgesConvertToQtRect) {
  EXPECT_EQ(ToQRect(TRect{2, 3, 5, 7}), QRect(2, 3, 3, 4));
  EXPECT_TRUE(ToQRect(TRect{5, 3, 5, 7}).isEmpty());
}

class StatusProgress : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    ShowActive();
    QTRY_VERIFY(form->StatusBar1->FullPaintCount() > 0);
    panel = form->ProPanelRect;
  }

  // The status bar as it is on screen now: the window's backing store,
  // which keeps whatever the paint events left in it.
  QImage BarOnScreen() const {
    const QImage window = form->screen()->grabWindow(form->winId()).toImage();
    const QPoint origin = form->StatusBar1->mapTo(form.get(), QPoint(0, 0));
    return window.copy(QRect(origin, form->StatusBar1->size()));
  }
  static bool IsNavy(QRgb pixel) { return qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 128; }
  int NavyRunFromLeft(const QImage& bar) const {
    const int y = (panel.top + panel.bottom) / 2;
    int x = panel.left;
    while (x < bar.width() && IsNavy(bar.pixel(x, y))) ++x;
    return x;
  }

  TRect panel;
};

TEST_F(StatusProgress, FirstPaintRecordsTheProgressPanel) {
  EXPECT_EQ(panel.left, 351);
  EXPECT_EQ(panel.right, form->StatusBar1->width() - 1);
  EXPECT_GT(panel.bottom, panel.top);
}

TEST_F(StatusProgress, IncreasePaintsOnlyTheNewStripWithoutFullRepaint) {
  const int full_before = form->StatusBar1->FullPaintCount();
  form->SetProStatus(20);
  const int right20 = ProgressFillRect(20, panel).right;
  EXPECT_EQ(form->StatusBar1->LastPaintRect(), ToQRect(TRect{panel.left, panel.top, right20, panel.bottom}));
  form->SetProStatus(50);
  const int right50 = ProgressFillRect(50, panel).right;
  EXPECT_EQ(form->StatusBar1->LastPaintRect(), ToQRect(TRect{right20, panel.top, right50, panel.bottom}));
  EXPECT_EQ(form->StatusBar1->OverPaintCount(), 2);
  EXPECT_EQ(form->StatusBar1->FullPaintCount(), full_before);
  EXPECT_EQ(form->ProStatus, 50);
  // The old part of the bar survived: the whole 50 per cent is navy.
  EXPECT_EQ(NavyRunFromLeft(BarOnScreen()), right50);
}

TEST_F(StatusProgress, RisingSequenceEndsWithWholePanelNavy) {
  for (int percent : {0, 20, 50, 100}) form->SetProStatus(percent);
  EXPECT_EQ(NavyRunFromLeft(BarOnScreen()), panel.right);
}

TEST_F(StatusProgress, EqualValuePaintsNothing) {
  form->SetProStatus(40);
  const int over = form->StatusBar1->OverPaintCount();
  const int full = form->StatusBar1->FullPaintCount();
  form->SetProStatus(40);
  EXPECT_EQ(form->StatusBar1->OverPaintCount(), over);
  EXPECT_EQ(form->StatusBar1->FullPaintCount(), full);
}

TEST_F(StatusProgress, DecreaseRepaintsWholeBarAndShortensIt) {
  form->SetProStatus(100);
  const int full_before = form->StatusBar1->FullPaintCount();
  form->SetProStatus(30);
  EXPECT_EQ(form->StatusBar1->FullPaintCount(), full_before + 1);
  EXPECT_EQ(form->StatusBar1->LastPaintRect(), form->StatusBar1->rect());
  const QImage bar = BarOnScreen();
  EXPECT_EQ(NavyRunFromLeft(bar), ProgressFillRect(30, panel).right);
  EXPECT_FALSE(IsNavy(bar.pixel(panel.right - 2, (panel.top + panel.bottom) / 2)));
}

TEST_F(StatusProgress, ZeroEmptiesThePanel) {
  form->SetProStatus(70);
  form->SetProStatus(0);
  EXPECT_EQ(NavyRunFromLeft(BarOnScreen()), panel.left);
}

TEST_F(StatusProgress, ProgressMessageFromAnotherThreadIsWaitedFor) {
  // The imaging library may report from the thread that loads.
  std::thread sender([&] { form->WMUser(60); });
  while (form->ProStatus != 60) QTest::qWait(5);
  sender.join();
  EXPECT_EQ(NavyRunFromLeft(BarOnScreen()), ProgressFillRect(60, panel).right);
}

TEST_F(StatusProgress, ResizeRedrawsTheBarOverTheNewWidth) {
  form->SetProStatus(50);
  form->resize(form->width() + 100, form->height());
  QTRY_COMPARE(form->ProPanelRect.right, panel.right + 100);
  const TRect wider = form->ProPanelRect;
  EXPECT_EQ(NavyRunFromLeft(BarOnScreen()), ProgressFillRect(50, wider).right);
}

TEST_F(StatusProgress, TextPanelStaysEmpty) {
  form->SetProStatus(100);
  const QImage bar = BarOnScreen();
  const TRect text_panel = form->StatusBar1->PanelRect(0);
  const QRgb background = bar.pixel(text_panel.left + 1, text_panel.top + 1);
  for (int x = text_panel.left; x < text_panel.right; ++x)
    for (int y = text_panel.top; y < text_panel.bottom; ++y) ASSERT_EQ(bar.pixel(x, y), background);
}

TEST_F(StatusProgress, TextPanelShowsARunsTextAtOnceAndEmptiesAgain) {
  const TRect text_panel = form->StatusBar1->PanelRect(0);
  const auto differing_pixels = [&](const QImage& bar) {
    const QRgb background = bar.pixel(text_panel.right - 1, text_panel.top + 1);
    int differing = 0;
    for (int x = text_panel.left; x < text_panel.right; ++x)
      for (int y = text_panel.top; y < text_panel.bottom; ++y) differing += bar.pixel(x, y) != background;
    return differing;
  };
  form->StatusBar1->SetPanelText(QStringLiteral("Datei 3 von 7"));
  EXPECT_GT(differing_pixels(BarOnScreen()), 0);
  form->StatusBar1->SetPanelText(QString());
  EXPECT_EQ(differing_pixels(BarOnScreen()), 0);
}

TEST_F(StatusProgress, RepaintStillWaitingIsDoneWholeWhenTheBarGrows) {
  // A growing bar repaints only its strip at once; a repaint of the whole
  // bar that was still waiting (after a resize, say) comes along in the
  // same paint and must not be left to the strip's painter.
  form->SetProStatus(20);
  const int full_before = form->StatusBar1->FullPaintCount();
  form->StatusBar1->update();
  form->SetProStatus(50);
  EXPECT_EQ(form->StatusBar1->FullPaintCount(), full_before + 1);
  EXPECT_EQ(NavyRunFromLeft(BarOnScreen()), ProgressFillRect(50, panel).right);
}
