// SPDX-License-Identifier: GPL-3.0-or-later
// The window's controls as one settings value, and back. Saving a
// settings file, opening one and starting a run all go through here, so
// each reads the controls exactly once.
#pragma once

#include "settings/settings_file.h"

class TMainForm;

// Every setting as the controls hold it now. The watermark is the
// window's record, shared, not copied: the content does not own it.
SettingsFileContent ContentFromForm(const TMainForm& form);

// Replaces every control's value, the dialog folders, the picture
// watermark (the old one is released first; the window takes over the
// content's record) and, when the content has one, the font.
void ApplyContentToForm(TMainForm& form, SettingsFileContent&& content);
