// SPDX-License-Identifier: GPL-3.0-or-later
// The picture watermark's 40-byte header and rows inside a settings file.
#pragma once

#include <cstdint>

#include "pixkit/pixkit.h"
#include "settings/settings_file.h"
#include "settings_io.h"

inline constexpr size_t kPictureHeaderBytes = 40;

// Progress for memory row r of height rows: r * 100 / (height - 1); a
// picture one row high is done at its only row.
int RowProgress(int64_t row, int64_t height);

// Writes the header as the record's Info holds it and every memory row,
// bottom row first, RowBytes each.
void WritePictureRows(SettingsOutput& file, const TDibImage& picture, const SettingsProgress& progress);

// Reads a 24-bit picture. Returns a record with Bits == nullptr when the
// header is not a 24-bit picture the library can create or the file ends
// inside the rows; nothing needs releasing then.
TDibImage ReadPictureRows(SettingsInput& file, const SettingsProgress& progress);
