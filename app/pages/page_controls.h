// SPDX-License-Identifier: GPL-3.0-or-later
// Control makers shared by the pages, so the settings controls of both
// watermark pages look and behave alike.
#pragma once

#include <QPoint>
#include <QString>

class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;
class QWidget;
class TRxSpinEdit;

QLabel* MakeLabel(QWidget* parent, const QString& text, QPoint at);
// An integer spin edit without bounds, step 1.
TRxSpinEdit* MakeIntegerEdit(QWidget* parent, const char* name, QPoint at, int width, double value);
// A drop-down list of the first `count` placements; nothing selected.
QComboBox* MakePlacementList(QWidget* parent, const char* name, QPoint at, int count);
// 0..100, a tick every 10 below, 161 x 45, with its value ("30 %") shown
// right of it in a label named "<name>Value".
QSlider* MakeTransparencyBar(QWidget* parent, const char* name, QPoint at, int value);
// A radio button 17 pixels high, so a pair 16 pixels apart does not overlap.
QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& caption, QPoint at);
// Selecting a radio button deselects its partner; deselecting touches only
// the button itself, so both of a pair may end up unselected.
void AssignRadio(QRadioButton* button, bool checked);
