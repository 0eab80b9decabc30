// SPDX-License-Identifier: GPL-3.0-or-later
// TFormStorage: keeps the window's stored control values and its placement
// in the form-state INI file between runs. It restores when the window is
// first shown and saves when the window closes (or, failing that, when it
// is destroyed), and saves only in a run that restored.
#pragma once

#include <QRect>
#include <QString>

#include "settings/form_state.h"

class TMainForm;

class TFormStorage {
 public:
  explicit TFormStorage(TMainForm& form);

  // The INI file; by default FormStatePath of the program file.
  QString IniFileName() const { return ini_file_name_; }
  void SetIniFileName(const QString& path) { ini_file_name_ = path; }

  // Reads the file over the window's values. A missing file leaves the
  // form defaults; so does one that cannot be read (or is too large to be
  // the program's own), which is reported, and then no save will write
  // over it.
  void RestoreFormPlacement();
  // Writes the file; a file that cannot be written is reported and the
  // program goes on.
  void SaveFormPlacement(bool destroying);

  bool Restored() const { return restored_; }
  bool Saved() const { return saved_; }

 private:
  StoredFormValues ValuesFromForm() const;
  void ApplyValuesToForm(const StoredFormValues& values);
  ScreenMetrics CurrentScreen() const;
  // The frame around the client area as far as it is known now: none
  // before the window manager has framed the window.
  FrameMargins CurrentFrame() const;
  // The client area moved and shrunk so that the window with its frame
  // lies inside the free area of the screen it is on.
  QRect FittedOnScreen(const QRect& client, const FrameMargins& frame) const;

  TMainForm& form_;
  QString ini_file_name_;
  bool restored_ = false;
  bool saved_ = false;
};
