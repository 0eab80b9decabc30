// SPDX-License-Identifier: GPL-3.0-or-later
// Page 2, "Text hinzufügen": the text watermark's settings.
#pragma once

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QSlider;
class QWidget;
class TBitBtnXP;
class TRxSpinEdit;

struct TextPage {
  QWidget* TabSheet2 = nullptr;
  TRxSpinEdit* RandEd = nullptr;
  QComboBox* Position1 = nullptr;
  QSlider* TrackBar1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  TBitBtnXP* NewFontBtn = nullptr;
  QLabel* FontInfo = nullptr;           // the chosen font in words, under NewFontBtn
  TBitBtnXP* TextOptionsBtn = nullptr;  // "Erweitert...": the further text options
  QRadioButton* AddTextCheck = nullptr;
  QRadioButton* AddNoTextCheck = nullptr;
};

TextPage BuildTextPage(QWidget* parent);
