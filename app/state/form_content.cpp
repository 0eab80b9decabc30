// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/form_content.h"

#include "main_form.h"
#include "state/control_bindings.h"

SettingsFileContent ContentFromForm(const TMainForm& form) {
  SettingsFileContent content;
  for (const ControlBinding& binding : ControlBindings()) binding.to_content(form, content);
  return content;
}

void ApplyContentToForm(TMainForm& form, SettingsFileContent&& content) {
  for (const ControlBinding& binding : ControlBindings()) binding.from_content(form, content);
}
