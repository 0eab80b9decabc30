// SPDX-License-Identifier: GPL-3.0-or-later
// "Ausgabe...": the dialog gives back what it was opened with, its
// controls reach their fields, and what is accepted from the page's button
// reaches the job the start button runs and the preview's size line.
#include "dialogs/export_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "dialogs/preview_window.h"
#include "form_fixture.h"
#include "pixkit/pixkit.h"
#include "state/form_content.h"
#include "widgets/bit_btn_xp.h"

namespace {

class FormExport : public FormFixture {};

ExportOptions web_gallery() {
  ExportOptions output;
  output.size = {ExportSizeMode::kMegapixels, 1600, 1280, 960, 33.33, 2.5, true};
  output.format = ExportFormat::kAvif;
  output.jpeg = {90, true, ChromaSubsampling::k444, true, true};
  output.png.compression = 2;
  output.webp = {75, true};
  output.avif = {50, 3};
  output.more_sources = true;
  output.target = ExportTarget::kTargetFolder;
  output.target_folder = "/srv/galerie";
  output.name_pattern = "Hochzeit-Meier-{Nr:4}";
  output.if_exists = IfOutputExists::kSkip;
  output.metadata = MetadataPolicy::kNone;
  output.convert_to_srgb = true;
  output.keep_jpeg_blocks = true;
  return output;
}

}  // namespace

TEST(ExportDialog, OpenedWithOptionsItGivesThemBackAndControlsReachTheirFields) {
  EXPECT_EQ(TExportDialog(ExportOptions{}).value(), ExportOptions{});
  TExportDialog dialog(web_gallery());
  EXPECT_EQ(dialog.value(), web_gallery());

  dialog.SizeModeBox->setCurrentIndex(int(ExportSizeMode::kBox));
  dialog.BoxWidth->setValue(800);
  dialog.FormatBox->setCurrentIndex(int(ExportFormat::kWebp));
  dialog.ChromaBox->setCurrentIndex(int(ChromaSubsampling::k420));
  dialog.SubfolderRadio->setChecked(true);
  dialog.NamePatternEd->setText(QStringLiteral("{Datum} {Kamera}"));
  dialog.IfExistsBox->setCurrentIndex(int(IfOutputExists::kRename));
  dialog.MetadataBox->setCurrentIndex(int(MetadataPolicy::kWithoutGpsAndSerials));
  dialog.SrgbCheck->setChecked(false);
  const ExportOptions changed = dialog.value();
  EXPECT_EQ(changed.size.mode, ExportSizeMode::kBox);
  EXPECT_EQ(changed.size.box_width, 800);
  EXPECT_EQ(changed.size.percent, 33.33);  // untouched: not rounded to what the box shows
  EXPECT_EQ(changed.format, ExportFormat::kWebp);
  EXPECT_EQ(changed.jpeg.chroma, ChromaSubsampling::k420);
  EXPECT_EQ(changed.target, ExportTarget::kSubfolder);
  EXPECT_EQ(changed.name_pattern, "{Datum} {Kamera}");
  EXPECT_EQ(changed.if_exists, IfOutputExists::kRename);
  EXPECT_EQ(changed.metadata, MetadataPolicy::kWithoutGpsAndSerials);
  EXPECT_FALSE(changed.convert_to_srgb);
  EXPECT_EQ(dialog.SizeExample->text(),
            QStringLiteral("Ein Foto von 6000 x 4000 Pixeln wird 800 x 533 Pixel groß, eins von 4000 x 6000 "
                           "Pixeln 640 x 960 Pixel."));
}

// The encoder settings took input under kept blocks, which do not encode
// the picture again; under "wie Quelle" the dialog's quality took input
// while page 4's quality is the one written.
TEST(ExportDialog, OnlyTheJpegSettingsThatApplyTakeInput) {
  ExportOptions jpeg;
  jpeg.format = ExportFormat::kJpeg;
  TExportDialog dialog(jpeg);
  const std::initializer_list<QWidget*> encoder = {dialog.JpegQuality, dialog.QualityFromSourceCheck,
                                                   dialog.ChromaBox, dialog.ProgressiveCheck,
                                                   dialog.HuffmanCheck};
  for (QWidget* control : encoder) EXPECT_TRUE(control->isEnabled()) << control->metaObject()->className();
  dialog.KeepJpegBlocksCheck->setChecked(true);
  for (QWidget* control : encoder) EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
  dialog.KeepJpegBlocksCheck->setChecked(false);
  EXPECT_TRUE(dialog.JpegQuality->isEnabled());

  dialog.FormatBox->setCurrentIndex(int(ExportFormat::kSameAsSource));
  EXPECT_FALSE(dialog.JpegQuality->isEnabled());
  EXPECT_TRUE(dialog.JpegQuality->toolTip().contains(QStringLiteral("Dateien verarbeiten")));
  EXPECT_TRUE(dialog.ChromaBox->isEnabled());
  EXPECT_EQ(dialog.value().jpeg.quality, jpeg.jpeg.quality);
}

TEST_F(FormExport, AcceptedChoicesReachTheJobAndThePreviewShowsTheOutputSize) {
  const QString source = config_home->filePath(QStringLiteral("foto.bmp"));
  TDibImage picture = newdib(400, 300, 24, nullptr, 0);
  ASSERT_EQ(SaveDib(&picture, QFile::encodeName(source).constData(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&picture);
  AddEntries({source});
  SelectEntries({0});
  form->PageControl1->setCurrentIndex(3);
  EXPECT_FALSE(form->process.OutputOptionsBtn->font().bold());

  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<TExportDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->SizeModeBox->setCurrentIndex(int(ExportSizeMode::kLongEdge));
    dialog->Edge->setValue(200);
    dialog->NamePatternEd->setText(QStringLiteral("Web-{Nr:4}"));
    dialog->accept();
  });
  QTest::mouseClick(form->process.OutputOptionsBtn, Qt::LeftButton);
  EXPECT_EQ(form->Options.output.size.edge, 200);
  EXPECT_TRUE(form->process.OutputOptionsBtn->font().bold());
  const SettingsFileContent content = ContentFromForm(*form);
  const WatermarkJob job = JobFromSettings(content);
  EXPECT_EQ(job.output.size.mode, ExportSizeMode::kLongEdge);
  EXPECT_EQ(job.output.name_pattern, "Web-{Nr:4}");

  QTest::mouseClick(form->process.PreviewBtn, Qt::LeftButton);
  TPreviewForm* preview = form->Preview();
  ASSERT_NE(preview, nullptr);
  QTRY_COMPARE_WITH_TIMEOUT(preview->StateLabel->text(),
                            QStringLiteral("Ausgabe: 200 x 150 Pixel (Quelle: 400 x 300 Pixel)"), 10000);
}
