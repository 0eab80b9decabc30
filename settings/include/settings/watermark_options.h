// SPDX-License-Identifier: GPL-3.0-or-later
// Every option past the specified settings as one value: the marks'
// options and the export's. What a settings file's option block and the
// form-state store's own section keep, and what the window's option
// dialogs edit.
#pragma once

#include "run/export_options.h"
#include "run/mark_options.h"

// Both passes' options as one value: what a settings file's option block
// and the form-state store's own section keep. All off by default; with all
// off neither is written.
struct WatermarkOptions {
  PictureOptions picture;
  TextOptions text;
  ExportOptions output;
  bool any() const { return picture.any() || text.any() || output.any(); }
};
