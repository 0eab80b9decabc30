// SPDX-License-Identifier: GPL-3.0-or-later
// "Erweitert...": the dialogs with the text's and the picture's further
// options. Each edits a copy; the caller takes value() when accepted.
#pragma once

#include <QDialog>
#include <cstdint>

#include "settings/watermark_options.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QPushButton;
class QGroupBox;

// The grid options both dialogs share.
struct TileControls {
  QGroupBox* group = nullptr;  // checkable: tiling on
  QDoubleSpinBox* gap_x = nullptr;
  QDoubleSpinBox* gap_y = nullptr;
  QCheckBox* in_percent = nullptr;       // of the image
  QCheckBox* in_mark_percent = nullptr;  // of the mark
};

// The outline colour that stands out against the text colour: white for a
// dark one, black for a light one.
int32_t ContrastingColour(int32_t colour);

class TTextOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  // text_colour: the font's, for the recommended outline.
  explicit TTextOptionsDialog(const TextOptions& options, QWidget* parent = nullptr, int32_t text_colour = 0);
  TextOptions value() const;
  // "Empfohlene Einstellungen": smooth edges, a 2-pixel outline in the
  // colour contrasting with the text and characters 4 % of the image high.
  void ApplyRecommended();

  QCheckBox* RelativeCheck = nullptr;
  QDoubleSpinBox* RelativePercent = nullptr;
  QCheckBox* MarginPercentCheck = nullptr;
  QDoubleSpinBox* MarginPercent = nullptr;
  QDoubleSpinBox* Angle = nullptr;
  TileControls Tile;
  QGroupBox* OutlineGroup = nullptr;
  QSpinBox* OutlineWidth = nullptr;
  QPushButton* OutlineColour = nullptr;
  QGroupBox* ShadowGroup = nullptr;
  QSpinBox* ShadowDx = nullptr;
  QSpinBox* ShadowDy = nullptr;
  QSpinBox* ShadowBlur = nullptr;
  QPushButton* ShadowColour = nullptr;
  QSpinBox* ShadowTransparency = nullptr;
  QCheckBox* SmoothCheck = nullptr;
  QCheckBox* VariablesCheck = nullptr;
  QPushButton* RecommendedBtn = nullptr;

 private:
  int32_t outline_colour_ = 0;
  int32_t shadow_colour_ = 0;
  int32_t text_colour_ = 0;
};

class TPictureOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TPictureOptionsDialog(const PictureOptions& options, QWidget* parent = nullptr);
  PictureOptions value() const;

  QCheckBox* AlphaCheck = nullptr;
  QComboBox* RelativeBox = nullptr;  // Eigene Größe / Bildbreite / kürzere Seite
  QDoubleSpinBox* RelativePercent = nullptr;
  QCheckBox* MarginPercentCheck = nullptr;
  QDoubleSpinBox* MarginPercent = nullptr;
  QDoubleSpinBox* Angle = nullptr;
  TileControls Tile;
};
