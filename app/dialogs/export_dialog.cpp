// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <iterator>

#include "run/export_size.h"
#include "run/jpeg_quality.h"
#include "run/output_formats.h"

namespace {

// "auch PNG, WebP, HEIC und AVIF bearbeiten": every further source type
// the switch lets in, read from their table so the caption cannot miss one.
QString more_sources_caption() {
  QString names;
  const size_t count = std::size(kFurtherSources);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) names += i + 1 == count ? QStringLiteral(" und ") : QStringLiteral(", ");
    names += QString::fromUtf8(kFurtherSources[i].caption);
  }
  return QStringLiteral("auch ") + names + QStringLiteral(" bearbeiten");
}

const QLocale& german() {
  static const QLocale locale(QLocale::German, QLocale::Germany);
  return locale;
}

QSpinBox* whole(QWidget* parent, int low, int high, int value, const QString& suffix = QString()) {
  auto* box = new QSpinBox(parent);
  box->setLocale(german());
  box->setRange(low, high);
  box->setValue(value);
  box->setSuffix(suffix);
  return box;
}

QDoubleSpinBox* number(QWidget* parent, double low, double high, double value, const QString& suffix) {
  auto* box = new QDoubleSpinBox(parent);
  box->setLocale(german());  // "2,5 MP" whatever the system's locale
  box->setRange(low, high);
  box->setDecimals(1);
  box->setValue(value);
  box->setSuffix(suffix);
  return box;
}

QComboBox* choices(QWidget* parent, std::initializer_list<const char*> texts, int current) {
  auto* box = new QComboBox(parent);
  for (const char* text : texts) box->addItem(QString::fromUtf8(text));
  box->setCurrentIndex(current < box->count() ? current : 0);
  return box;
}

// A row of controls as one field of a form.
QWidget* row(QWidget* parent, std::initializer_list<QWidget*> widgets) {
  auto* holder = new QWidget(parent);
  auto* layout = new QHBoxLayout(holder);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QWidget* widget : widgets) {
    widget->setParent(holder);
    layout->addWidget(widget);
  }
  layout->addStretch(1);
  return holder;
}

QString pixels(const PixelSize& size) { return QStringLiteral("%1 x %2").arg(size.width).arg(size.height); }

}  // namespace

TExportDialog::TExportDialog(const ExportOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
  setWindowTitle(QStringLiteral("Ausgabe"));
  // Made in reading order, which is also the order Tab goes.
  auto* left = new QVBoxLayout;
  left->addWidget(BuildSizeGroup(options.size));
  left->addWidget(BuildFormatGroup(options));
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildPlaceGroup(options));
  right->addWidget(BuildMetaGroup(options));
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(buttons);

  ConnectChoices();
  show_choices();
}

QGroupBox* TExportDialog::BuildSizeGroup(const ExportSize& size) {
  auto* group = new QGroupBox(QStringLiteral("Größe (vor dem Stempeln)"), this);
  auto* form = new QFormLayout(group);
  SizeModeBox = choices(group,
                        {"Originalgröße", "Lange Kante", "Kurze Kante", "Breite", "Höhe",
                         "Rahmen (Breite x Höhe)", "Prozent", "Megapixel"},
                        int(size.mode));
  form->addRow(QStringLiteral("Anpassen:"), SizeModeBox);
  Edge = whole(group, 1, 1000000, size.edge, QStringLiteral(" Pixel"));
  form->addRow(QStringLiteral("Kantenlänge:"), Edge);
  BoxWidth = whole(group, 1, 1000000, size.box_width);
  BoxHeight = whole(group, 1, 1000000, size.box_height, QStringLiteral(" Pixel"));
  form->addRow(QStringLiteral("Rahmen:"), row(group, {BoxWidth, new QLabel(QStringLiteral("x")), BoxHeight}));
  Percent = number(group, 0.1, 1000, size.percent, QStringLiteral(" %"));
  form->addRow(QStringLiteral("Prozent:"), Percent);
  Megapixels = number(group, 0.1, 1000, size.megapixels, QStringLiteral(" MP"));
  form->addRow(QStringLiteral("Megapixel:"), Megapixels);
  EnlargeCheck = new QCheckBox(QStringLiteral("Kleinere Bilder vergrößern"), group);
  EnlargeCheck->setChecked(size.enlarge);
  form->addRow(EnlargeCheck);
  SizeExample = new QLabel(group);
  SizeExample->setObjectName(QStringLiteral("SizeExample"));
  SizeExample->setWordWrap(true);
  form->addRow(SizeExample);
  return group;
}

QGroupBox* TExportDialog::BuildFormatGroup(const ExportOptions& options) {
  auto* group = new QGroupBox(QStringLiteral("Format"), this);
  auto* form = new QFormLayout(group);
  FormatBox = new QComboBox(group);
  for (const OutputFormatRow& format : kOutputFormats) FormatBox->addItem(QString::fromUtf8(format.caption));
  FormatBox->setCurrentIndex(int(options.format) < FormatBox->count() ? int(options.format) : 0);
  form->addRow(QStringLiteral("Dateiformat:"), FormatBox);
  JpegQuality = whole(group, 1, 100, options.jpeg.quality);
  QualityFromSourceCheck = new QCheckBox(QStringLiteral("Qualität wie Quelle"));
  QualityFromSourceCheck->setChecked(options.jpeg.quality_from_source);
  form->addRow(QStringLiteral("JPEG-Qualität:"), row(group, {JpegQuality, QualityFromSourceCheck}));
  ChromaBox =
      choices(group, {"Vorgabe (4:2:0)", "4:4:4", "4:2:2", "4:2:0", "wie Quelle"}, int(options.jpeg.chroma));
  form->addRow(QStringLiteral("Farbunterabtastung:"), ChromaBox);
  ProgressiveCheck = new QCheckBox(QStringLiteral("Progressiv"));
  ProgressiveCheck->setChecked(options.jpeg.progressive);
  HuffmanCheck = new QCheckBox(QStringLiteral("Huffman-Tabellen optimieren"));
  HuffmanCheck->setChecked(options.jpeg.optimize_huffman);
  form->addRow(QString(), row(group, {ProgressiveCheck, HuffmanCheck}));
  KeepJpegBlocksCheck = new QCheckBox(QStringLiteral("JPEG: unveränderte Blöcke übernehmen"), group);
  KeepJpegBlocksCheck->setChecked(options.keep_jpeg_blocks);
  KeepJpegBlocksCheck->setToolTip(
      QStringLiteral("JPEG-Bilder werden nur dort neu kodiert, wo das Wasserzeichen liegt; der Rest bleibt "
                     "verlustfrei erhalten (die JPEG-Qualität gilt dann nicht)."));
  form->addRow(QString(), KeepJpegBlocksCheck);
  PngCompression = whole(group, 0, 9, options.png.compression);
  form->addRow(QStringLiteral("PNG-Kompression:"), PngCompression);
  WebpQuality = whole(group, 0, 100, options.webp.quality);
  WebpLosslessCheck = new QCheckBox(QStringLiteral("Verlustfrei"));
  WebpLosslessCheck->setChecked(options.webp.lossless);
  form->addRow(QStringLiteral("WebP-Qualität:"), row(group, {WebpQuality, WebpLosslessCheck}));
  AvifQuality = whole(group, 0, 100, options.avif.quality);
  AvifSpeed = whole(group, 0, 10, options.avif.speed);
  form->addRow(QStringLiteral("AVIF-Qualität:"),
               row(group, {AvifQuality, new QLabel(QStringLiteral("Geschwindigkeit:")), AvifSpeed}));
  MoreSourcesCheck = new QCheckBox(more_sources_caption(), group);
  MoreSourcesCheck->setChecked(options.more_sources);
  form->addRow(MoreSourcesCheck);
  return group;
}

QGroupBox* TExportDialog::BuildPlaceGroup(const ExportOptions& options) {
  auto* group = new QGroupBox(QStringLiteral("Ablage und Namen"), this);
  auto* column = new QVBoxLayout(group);
  SubfolderRadio = new QRadioButton(QStringLiteral("Unterverzeichnis neben jeder Quelldatei"), group);
  TargetFolderRadio =
      new QRadioButton(QStringLiteral("Ein Zielordner, Unterordner der Quelldateien nachgebildet:"), group);
  (options.target == ExportTarget::kTargetFolder ? TargetFolderRadio : SubfolderRadio)->setChecked(true);
  column->addWidget(SubfolderRadio);
  column->addWidget(TargetFolderRadio);
  TargetFolderEd = new QLineEdit(QString::fromStdString(options.target_folder));
  TargetFolderBtn = new QPushButton(QStringLiteral("Durchsuchen..."));
  auto* folder_row = row(group, {TargetFolderEd, TargetFolderBtn});
  folder_row->layout()->setContentsMargins(20, 0, 0, 0);
  // The folder takes the row's width, not the stretch behind the button.
  qobject_cast<QHBoxLayout*>(folder_row->layout())->setStretch(0, 1);
  qobject_cast<QHBoxLayout*>(folder_row->layout())->setStretch(2, 0);
  column->addWidget(folder_row);
  auto* name_form = new QFormLayout;
  NamePatternEd = new QLineEdit(QString::fromStdString(options.name_pattern), group);
  NamePatternEd->setPlaceholderText(QStringLiteral("leer: Name der Quelldatei"));
  name_form->addRow(QStringLiteral("Dateiname:"), NamePatternEd);
  auto* hint = new QLabel(
      QStringLiteral("Variablen: {Datei}, {Ordner}, {Datum}, {Uhrzeit}, {Jahr}, {Kamera}, {Nr} und {Nr:4} "
                     "(0001), {Monat}, {Tag}, {Stunde}, {Minute}, {Sekunde}, {Datum:ISO} (2023-06-15); "
                     "ein / legt Unterordner an. Die Endung folgt dem Format; gleiche Namen bekommen "
                     "\" (2)\", \" (3)\", ..."),
      group);
  hint->setWordWrap(true);
  name_form->addRow(hint);
  IfExistsBox =
      choices(group, {"ersetzen", "überspringen", "neuer Name mit \" (2)\""}, int(options.if_exists));
  name_form->addRow(QStringLiteral("Zieldatei vorhanden:"), IfExistsBox);
  column->addLayout(name_form);
  return group;
}

QGroupBox* TExportDialog::BuildMetaGroup(const ExportOptions& options) {
  auto* group = new QGroupBox(QStringLiteral("Metadaten und Farbe"), this);
  auto* form = new QFormLayout(group);
  MetadataBox = choices(group, {"alle behalten", "alle außer GPS-Position und Seriennummern", "keine"},
                        int(options.metadata));
  form->addRow(QStringLiteral("Metadaten:"), MetadataBox);
  SrgbCheck = new QCheckBox(QStringLiteral("Farbprofil in sRGB umwandeln"), group);
  SrgbCheck->setChecked(options.convert_to_srgb);
  form->addRow(SrgbCheck);
  auto* upright =
      new QLabel(QStringLiteral("Die Ausrichtung wird immer angewandt und aufrecht geschrieben."));
  upright->setWordWrap(true);
  form->addRow(upright);
  return group;
}

void TExportDialog::ConnectChoices() {
  connect(TargetFolderBtn, &QPushButton::clicked, this, [this] {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Zielordner wählen"), TargetFolderEd->text());
    if (folder.isEmpty()) return;
    TargetFolderEd->setText(folder);
    TargetFolderRadio->setChecked(true);
  });
  auto changed = [this] { show_choices(); };
  for (QComboBox* box : {SizeModeBox, FormatBox, ChromaBox})
    connect(box, &QComboBox::currentIndexChanged, this, changed);
  connect(TargetFolderRadio, &QRadioButton::toggled, this, changed);
  for (QCheckBox* check : {QualityFromSourceCheck, KeepJpegBlocksCheck, WebpLosslessCheck, EnlargeCheck})
    connect(check, &QCheckBox::toggled, this, changed);
  for (QSpinBox* box : {Edge, BoxWidth, BoxHeight}) connect(box, &QSpinBox::valueChanged, this, changed);
  for (QDoubleSpinBox* box : {Percent, Megapixels})
    connect(box, &QDoubleSpinBox::valueChanged, this, changed);
}

// Only the controls of the chosen size rule and format take input; the
// others keep their values for when they are chosen again.
void TExportDialog::show_choices() {
  const ExportOptions chosen = value();
  const ExportSizeMode mode = chosen.size.mode;
  const bool edge = mode == ExportSizeMode::kLongEdge || mode == ExportSizeMode::kShortEdge ||
                    mode == ExportSizeMode::kWidth || mode == ExportSizeMode::kHeight;
  Edge->setEnabled(edge);
  BoxWidth->setEnabled(mode == ExportSizeMode::kBox);
  BoxHeight->setEnabled(mode == ExportSizeMode::kBox);
  Percent->setEnabled(mode == ExportSizeMode::kPercent);
  Megapixels->setEnabled(mode == ExportSizeMode::kMegapixels);
  EnlargeCheck->setEnabled(mode != ExportSizeMode::kNone);
  SizeExample->setText(SizeExampleText());

  show_jpeg_choices(chosen);
  const ExportFormat format = chosen.format;
  PngCompression->setEnabled(format == ExportFormat::kPng || format == ExportFormat::kSameAsSource);
  const bool webp = format == ExportFormat::kWebp || format == ExportFormat::kSameAsSource;
  WebpLosslessCheck->setEnabled(webp);
  WebpQuality->setEnabled(webp && !WebpLosslessCheck->isChecked());
  const bool avif = format == ExportFormat::kAvif || format == ExportFormat::kSameAsSource;
  AvifQuality->setEnabled(avif);
  AvifSpeed->setEnabled(avif);
  TargetFolderEd->setEnabled(TargetFolderRadio->isChecked());
}

void TExportDialog::show_jpeg_choices(const ExportOptions& chosen) {
  // "wie Quelle" writes JPEG sources as JPEG: their settings stay open.
  const bool jpeg = chosen.format == ExportFormat::kJpeg || chosen.format == ExportFormat::kSameAsSource;
  KeepJpegBlocksCheck->setEnabled(jpeg);
  // Kept blocks are copied as they are coded, not encoded again: the
  // encoder's settings do not apply. A chosen subsampling is the one
  // exception: it turns kept blocks off (the run's log says so), so it
  // stays open to be set back.
  const bool encoded = jpeg && !chosen.keep_jpeg_blocks;
  for (QWidget* control : {static_cast<QWidget*>(QualityFromSourceCheck),
                           static_cast<QWidget*>(ProgressiveCheck), static_cast<QWidget*>(HuffmanCheck)})
    control->setEnabled(encoded);
  ChromaBox->setEnabled(encoded || (jpeg && chosen.jpeg.chroma != ChromaSubsampling::kLibraryDefault));
  // Of the qualities only the one that applies takes input: under "wie
  // Quelle" that is page 4's, under "Qualität wie Quelle" the source's.
  JpegQuality->setEnabled(encoded && JpegQualityFrom(chosen) == JpegQualitySetting::kExport);
  JpegQuality->setToolTip(
      jpeg && JpegQualityFallback(chosen) == JpegQualitySetting::kJob
          ? QStringLiteral("Bei \"wie Quelle\" gilt die JPEG-Qualität der Seite \"Dateien verarbeiten\".")
          : QString());
}

QString TExportDialog::SizeExampleText() const {
  const ExportSize size = value().size;
  if (size.mode == ExportSizeMode::kNone) return QStringLiteral("Die Bilder behalten ihre Größe.");
  return QStringLiteral(
             "Ein Foto von 6000 x 4000 Pixeln wird %1 Pixel groß, eins von 4000 x 6000 Pixeln %2 Pixel.")
      .arg(pixels(ExportPixelSize(size, 6000, 4000)), pixels(ExportPixelSize(size, 4000, 6000)));
}

ExportOptions TExportDialog::value() const {
  ExportOptions o = options_;
  o.size.mode = ExportSizeMode(SizeModeBox->currentIndex());
  o.size.edge = Edge->value();
  o.size.box_width = BoxWidth->value();
  o.size.box_height = BoxHeight->value();
  // The boxes show one decimal; a value they were opened with stays exact
  // unless it was changed.
  if (Percent->value() != QString::number(options_.size.percent, 'f', 1).toDouble())
    o.size.percent = Percent->value();
  if (Megapixels->value() != QString::number(options_.size.megapixels, 'f', 1).toDouble())
    o.size.megapixels = Megapixels->value();
  o.size.enlarge = EnlargeCheck->isChecked();
  o.format = ExportFormat(FormatBox->currentIndex());
  o.jpeg.quality = JpegQuality->value();
  o.jpeg.quality_from_source = QualityFromSourceCheck->isChecked();
  o.jpeg.chroma = ChromaSubsampling(ChromaBox->currentIndex());
  o.jpeg.progressive = ProgressiveCheck->isChecked();
  o.jpeg.optimize_huffman = HuffmanCheck->isChecked();
  o.keep_jpeg_blocks = KeepJpegBlocksCheck->isChecked();
  o.png.compression = PngCompression->value();
  o.webp.quality = WebpQuality->value();
  o.webp.lossless = WebpLosslessCheck->isChecked();
  o.avif.quality = AvifQuality->value();
  o.avif.speed = AvifSpeed->value();
  o.more_sources = MoreSourcesCheck->isChecked();
  o.target = TargetFolderRadio->isChecked() ? ExportTarget::kTargetFolder : ExportTarget::kSubfolder;
  o.target_folder = TargetFolderEd->text().toStdString();
  o.name_pattern = NamePatternEd->text().toStdString();
  o.if_exists = IfOutputExists(IfExistsBox->currentIndex());
  o.metadata = MetadataPolicy(MetadataBox->currentIndex());
  o.convert_to_srgb = SrgbCheck->isChecked();
  return o;
}
