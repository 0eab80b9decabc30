// SPDX-License-Identifier: GPL-3.0-or-later
// Button glyphs and tab icons, drawn in code so the program carries no
// picture files of its own.
#pragma once

#include <QIcon>

enum class GlyphId {
  kOk,
  kCancel,
  kAll,
  kNewSettings,
  kOpenSettings,
  kSaveSettings,
  kFont,
  kPicture,
  kGo,
  kInfo,
  kWebLogo,
  kTabSources,
  kTabText,
  kTabPicture,
  kTabProcess,
};

// A 16 x 16 glyph with its two states: normal and a greyed disabled form.
QIcon MakeGlyph(GlyphId id);
