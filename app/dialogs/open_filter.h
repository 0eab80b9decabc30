// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the imaging library's file-dialog filter, descriptions and
// patterns alternating and separated by vertical bars, into Qt's list of
// "description (patterns)" entries.
#pragma once

#include <QString>
#include <QStringList>

#include "run/export_options.h"

// "Bitmap (*.bmp)|*.bmp;*.dib|Alle|*.*" gives {"Bitmap (*.bmp *.dib)",
// "Alle (*.*)"}. A description that already ends in a parenthesised list
// loses it, so the patterns are not shown twice; a description without
// patterns is dropped.
QStringList ConvertDibOpenFilter(const QString& filter);

// The same for the source dialog, cut to what the batch run stamps: each
// entry keeps only the patterns of extensions the run handles, and an entry
// left without any is dropped ("Alle Dateien (*.*)" among them). The
// library also reads types the run passes over (PNG, for logos). With the
// further sources of output on, PNG stays, and WebP, HEIC/HEIF and AVIF
// join the first entry and get one of their own.
QStringList ConvertSourceOpenFilter(const QString& filter, const ExportOptions& output = {});
