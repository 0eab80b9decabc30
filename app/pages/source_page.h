// SPDX-License-Identifier: GPL-3.0-or-later
// Page 1, "Quelldateien": the source list and its two buttons.
#pragma once

class QGroupBox;
class QString;
class QListWidget;
class QWidget;
class TBitBtnXP;

struct SourcePage {
  QWidget* TabSheet1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  TBitBtnXP* AddBtn = nullptr;
  TBitBtnXP* DelBtn = nullptr;
};

inline constexpr int kSourceItemHeight = 13;

SourcePage BuildSourcePage(QWidget* parent);

// Appends one path to the end of the list, 13 pixels high.
void AppendSourceEntry(QListWidget* list, const QString& path);
