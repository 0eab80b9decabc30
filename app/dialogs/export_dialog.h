// SPDX-License-Identifier: GPL-3.0-or-later
// "Ausgabe...": how the stamped pictures leave the run, size, format and
// its settings, folder, names, taken names, metadata and colour. Edits a
// copy; the caller takes value() when accepted.
#pragma once

#include <QDialog>

#include "run/export_options.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TExportDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TExportDialog(const ExportOptions& options, QWidget* parent = nullptr);
  ExportOptions value() const;

  // The size a 6000 x 4000 photo and a portrait 4000 x 6000 one get, in words.
  QString SizeExampleText() const;

  // Größe
  QComboBox* SizeModeBox = nullptr;  // in the order of ExportSizeMode
  QSpinBox* Edge = nullptr;
  QSpinBox* BoxWidth = nullptr;
  QSpinBox* BoxHeight = nullptr;
  QDoubleSpinBox* Percent = nullptr;
  QDoubleSpinBox* Megapixels = nullptr;
  QCheckBox* EnlargeCheck = nullptr;
  QLabel* SizeExample = nullptr;
  // Format
  QComboBox* FormatBox = nullptr;  // in the order of ExportFormat
  QSpinBox* JpegQuality = nullptr;
  QCheckBox* QualityFromSourceCheck = nullptr;
  QComboBox* ChromaBox = nullptr;  // in the order of ChromaSubsampling
  QCheckBox* ProgressiveCheck = nullptr;
  QCheckBox* HuffmanCheck = nullptr;
  QCheckBox* KeepJpegBlocksCheck = nullptr;
  QSpinBox* PngCompression = nullptr;
  QSpinBox* WebpQuality = nullptr;
  QCheckBox* WebpLosslessCheck = nullptr;
  QSpinBox* AvifQuality = nullptr;
  QSpinBox* AvifSpeed = nullptr;
  QCheckBox* MoreSourcesCheck = nullptr;
  // Ablage und Namen
  QRadioButton* SubfolderRadio = nullptr;
  QRadioButton* TargetFolderRadio = nullptr;
  QLineEdit* TargetFolderEd = nullptr;
  QPushButton* TargetFolderBtn = nullptr;
  QLineEdit* NamePatternEd = nullptr;
  QComboBox* IfExistsBox = nullptr;  // in the order of IfOutputExists
  // Metadaten und Farbe
  QComboBox* MetadataBox = nullptr;  // in the order of MetadataPolicy
  QCheckBox* SrgbCheck = nullptr;

 private:
  // One group box each, in the order they are read.
  QGroupBox* BuildSizeGroup(const ExportSize& size);
  QGroupBox* BuildFormatGroup(const ExportOptions& options);
  QGroupBox* BuildPlaceGroup(const ExportOptions& options);
  QGroupBox* BuildMetaGroup(const ExportOptions& options);
  void ConnectChoices();
  void show_choices();
  void show_jpeg_choices(const ExportOptions& chosen);
  ExportOptions options_;  // the fields the dialog has no control for travel through
};
