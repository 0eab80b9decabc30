// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's controls do with a value assigned to them; the
// settings-file reader applies the same rules so the window and the
// command line run the same job.
#pragma once

#include <cstdint>

// Spin edits in integer mode: nearest whole number, halves to even.
double RoundSpinValue(double value);
// jpeged: a whole number limited to 1..100.
int LimitJpegQuality(int32_t value);
// Track bars: 0..100.
int LimitTrackBar(int32_t value);
// Drop-down lists: an index outside 0..count-1 leaves no selection (-1).
int ListItemIndex(int32_t index, int count);

inline constexpr int kTextPositionCount = 9;
inline constexpr int kPicturePositionCount = 11;
