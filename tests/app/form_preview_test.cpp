// SPDX-License-Identifier: GPL-3.0-or-later
// "Vorschau..." from the window: the selected source stamped with the
// window's settings, following a changed slider.
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "dialogs/preview_window.h"
#include "form_fixture.h"
#include "pixkit/pixkit.h"
#include "widgets/bit_btn_xp.h"

namespace {

class FormPreview : public FormFixture {};

}  // namespace

TEST_F(FormPreview, ShowsTheSelectedSourceStampedAndFollowsTheTransparencySlider) {
  const QString source = config_home->filePath(QStringLiteral("foto.bmp"));
  TDibImage picture = newdib(160, 120, 24, nullptr, 0);
  ASSERT_EQ(SaveDib(&picture, QFile::encodeName(source).constData(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&picture);
  AddEntries({source});
  SelectEntries({0});
  form->text.Memo1->setPlainText(QStringLiteral("Probe"));
  form->text.TrackBar1->setValue(0);
  form->Font.color = 0xFFFFFF;  // white on the black picture

  QTest::mouseClick(form->process.PreviewBtn, Qt::LeftButton);
  TPreviewForm* preview = form->Preview();
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(preview->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(preview->renders_finished() >= 1, 10000);
  const QImage opaque = preview->shown();
  ASSERT_EQ(opaque.size(), QSize(160, 120));

  const int before = preview->renders_finished();
  form->text.TrackBar1->setValue(100);  // the text vanishes
  QTRY_VERIFY_WITH_TIMEOUT(preview->renders_finished() > before, 10000);
  QImage black(160, 120, QImage::Format_BGR888);
  black.fill(Qt::black);
  QTRY_COMPARE_WITH_TIMEOUT(preview->shown(), black, 10000);
  EXPECT_NE(opaque, black);
}

TEST_F(FormPreview, PictureKeptWithItsAlphaIsStampedAlikeByTheWindowRunThePreviewAndTheRun) {
  const QString source = config_home->filePath(QStringLiteral("grau.bmp"));
  TDibImage grey = newdib(64, 48, 24, nullptr, 0);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) setpixel(&grey, x, y, 0x808080u);
  ASSERT_EQ(SaveDib(&grey, QFile::encodeName(source).constData(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&grey);
  AddEntries({source});
  SelectEntries({0});
  TDibImage logo = newdib(16, 16, 32, nullptr, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) setpixel(&logo, x, y, uint32_t(x * 16) << 24 | 0x0000FFu);
  form->AdoptWatermark(logo);
  form->Options.picture.keep_alpha = true;
  form->picture.AddPicCheck->setChecked(true);
  form->text.AddNoTextCheck->setChecked(true);
  form->picture.TrackBar2->setValue(0);
  form->picture.Position2->setCurrentIndex(4);  // centred at its own size: x 24..39, y 16..31

  form->PreviewBtnClick();
  QTRY_VERIFY_WITH_TIMEOUT(form->Preview()->renders_finished() >= 1, 10000);
  const QImage previewed = form->Preview()->shown();
  RunToEnd();
  const std::string written =
      QFile::encodeName(config_home->filePath(QStringLiteral("Wasserzeichen/grau.bmp"))).toStdString();
  TDibImage output = OpenDib(written.c_str(), 0, nullptr);
  ASSERT_NE(output.Bits, nullptr);
  QImage run(64, 48, QImage::Format_BGR888);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t v = getpixel(&output, x, y);
      run.setPixelColor(x, y, QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
    }
  deldib(&output);
  EXPECT_EQ(previewed, run);
  // The mark's left column is fully transparent, its right nearly opaque
  // red: (128 x (25500 - 240 x 100) + 255 x 240 x 100) div 25500 = 247.
  EXPECT_EQ(run.pixelColor(24, 24), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(run.pixelColor(39, 24), QColor(247, 0x80 * 1500 / 25500, 0x80 * 1500 / 25500));
}
