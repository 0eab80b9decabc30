// SPDX-License-Identifier: GPL-3.0-or-later
// The decorative pictures of the pages' side panels and of the information
// dialog, drawn in code.
#pragma once

#include <QPixmap>
#include <QSize>

enum class SidePicture { kSources, kText, kPicture, kProcess };

QPixmap MakeSidePicture(SidePicture which, QSize size);
QPixmap MakeAboutPicture(QSize size);
