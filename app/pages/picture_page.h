// SPDX-License-Identifier: GPL-3.0-or-later
// Page 3, "Grafik hinzufügen": the picture watermark's settings, the load
// button and the preview area.
#pragma once

#include "widgets/paint_box.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QScrollArea;
class QSlider;
class QWidget;
class TBitBtnXP;
class TRxSpinEdit;

struct PicturePage {
  QWidget* TabSheet3 = nullptr;
  TRxSpinEdit* RandEd2 = nullptr;
  QComboBox* Position2 = nullptr;
  QSlider* TrackBar2 = nullptr;
  QRadioButton* AddPicCheck = nullptr;
  QRadioButton* NoPicChecked = nullptr;
  TBitBtnXP* OpenPicBtn = nullptr;
  TBitBtnXP* PictureOptionsBtn = nullptr;  // "Erweitert...": the further picture options
  // Why the picture of the last run is missing, as the log says it; hidden
  // while there is nothing to say.
  QLabel* MissingPictureLabel = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  TPaintBox* PaintBox2 = nullptr;
};

PicturePage BuildPicturePage(QWidget* parent);
