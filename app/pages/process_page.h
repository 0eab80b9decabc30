// SPDX-License-Identifier: GPL-3.0-or-later
// Page 4, "Dateien verarbeiten": the start button, the output settings
// and the run's log.
#pragma once

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
class TBitBtnXP;
class TRxSpinEdit;

struct ProcessPage {
  QWidget* TabSheet4 = nullptr;
  TBitBtnXP* GoBtn = nullptr;
  TBitBtnXP* PreviewBtn = nullptr;        // "Vorschau...": the stamped source in a window of its own
  TBitBtnXP* OutputOptionsBtn = nullptr;  // "Ausgabe...": size, format, names and folder of the outputs
  QGroupBox* GroupBox2 = nullptr;
  QLineEdit* OutDirEd = nullptr;
  TRxSpinEdit* jpeged = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
};

ProcessPage BuildProcessPage(QWidget* parent);

// The log is 89 pixels high at the window's start size and takes every
// pixel a taller window adds; its top stays where it was.
void GrowLogBy(const ProcessPage& page, int added_height);
