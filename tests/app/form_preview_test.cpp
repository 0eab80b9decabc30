// "Vorschau..." from the window: the selected source stamped with the
// window's settings, following a changed slider.
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>

#include "bit_btn_xp.h"
#include "form_fixture.h"
#include "pixkit/pixkit.h"
#include "preview_window.h"

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
