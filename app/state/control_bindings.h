// SPDX-License-Identifier: GPL-3.0-or-later
// The one table that binds each control of the window to what the two
// stores keep of it: its field in a settings file's content, its key in the
// form-state store, and the conversion between the control and each. Saving
// and opening a settings file, starting a run or a preview, and the
// form-state store all read and assign the controls through this table, so
// a control added to it is kept by every one of them alike.
#pragma once

#include <functional>
#include <span>

#include "settings/form_state.h"
#include "settings/settings_file.h"

class TMainForm;

struct ControlBinding {
  // The control's value into the content, and back. Assigning may take over
  // what the content owns (the picture watermark).
  std::function<void(const TMainForm&, SettingsFileContent&)> to_content;
  std::function<void(TMainForm&, SettingsFileContent&)> from_content;
  // The control's stored property (or the options' section), and back.
  // Empty for a control the form-state store does not keep.
  std::function<void(const TMainForm&, StoredFormValues&)> to_stored;
  std::function<void(TMainForm&, const StoredFormValues&)> from_stored;
};

// First the controls the form-state store keeps, in the order it writes
// them; then those only a settings file keeps.
std::span<const ControlBinding> ControlBindings();
