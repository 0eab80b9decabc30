// SPDX-License-Identifier: GPL-3.0-or-later
// The form-state store's file: which control values the window keeps
// between runs, the window placement, and the INI file they live in. The
// window names each stored property by its key and hands its value over in
// the form its type is written; everything about the file's text is
// decided here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "run/text_font.h"
#include "settings/watermark_options.h"
#include "settings/profile_file.h"

inline constexpr const char* kFormStateSection = "TMainForm";
// The window's own data that the platform's placement keys cannot hold.
inline constexpr const char* kWindowSection = "Fenster";

// A list of lines: the memo's whole text, as the memo reads it. The store
// keeps it in a section of its own ("TMainForm.<key>"), one key per line.
struct StoredLines {
  std::string text;
};

// A stored property's value; its type decides how it is written:
//   int32_t      decimal, e.g. "75"
//   double       shortest general form with "." under every locale, "20"
//   bool         "True" or "False"
//   std::string  a text, written even when empty
//   StoredLines  "Count" and "Item0".. in the section "TMainForm.<key>"
//   TextFont     seven keys "<key>Charset", "<key>Color" .. "<key>Style"
using StoredValue = std::variant<int32_t, double, bool, std::string, StoredLines, TextFont>;

struct StoredProperty {
  std::string key;  // component name, "_", property name: "RandEd_Value"
  StoredValue value;
};

// Where the picture watermark came from, so that the next start can load
// it again: a picture file, or the settings file that held it. The path is
// absolute, as the system names it (its bytes).
struct WatermarkOrigin {
  enum class Kind { kNone, kPictureFile, kSettingsFile };
  Kind kind = Kind::kNone;  // none: the start picture
  std::string path;
  bool operator==(const WatermarkOrigin&) const = default;
};

// The stored control values, as the controls hold them.
struct StoredFormValues {
  // Written and read back in this order.
  std::vector<StoredProperty> properties;
  // Kept in a section of their own ("Erweitert"), only while one is on.
  WatermarkOptions options;
  // Kept in a section of its own ("Wasserzeichenbild"), only while the
  // picture is not the start picture.
  WatermarkOrigin watermark_origin;

  // The property of that key; null when there is none.
  const StoredValue* Find(std::string_view key) const;
};

struct ScreenMetrics {
  int width = 0;   // pixels
  int height = 0;  // pixels
  int pixels_per_inch = 96;
};

struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// How far the window manager's frame reaches past the client area on each
// side, in pixels.
struct FrameMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The window placement as the platform describes it.
struct FormPlacement {
  int flags = 0;
  int show_cmd = 1;  // 1 normal, 2 minimised, 3 maximised
  int min_x = -1, min_y = -1, max_x = -1, max_y = -1;
  WindowRect normal;  // outer rectangle of the window when not maximised
  // The frame that made `normal` from the client area, kept in the section
  // "Fenster" as "FrameMargins": a window is framed only once it is shown,
  // so the next start places its client area by this frame.
  FrameMargins frame;
  // The size the file dialogs were last left at, kept in "Fenster" as
  // "FileDialogSize"; 0 when there is none to keep.
  int file_dialog_width = 0, file_dialog_height = 0;
  bool destroying = false;
};

// Writes the placement (the frame in its own section), then the properties
// in their order, then the sections of the options and the picture's origin.
void SaveFormState(ProfileFile& profile, const FormPlacement& placement, const ScreenMetrics& screen,
                   const StoredFormValues& values);

struct RestoredPlacement {
  bool restore = true;               // FormVersion at least 0
  std::optional<WindowRect> normal;  // only when usable at this screen's pixels per inch
  // The frame as saved; none in a file written without it. Each side is
  // held to 0..kMaxFrameMargin.
  std::optional<FrameMargins> frame;
  // Each side held to kMinFileDialogSide..kMaxFileDialogSide; none when
  // not stored.
  int file_dialog_width = 0, file_dialog_height = 0;
  int show_cmd = 1;
};
inline constexpr int kMinFileDialogSide = 200;
inline constexpr int kMaxFileDialogSide = 20000;
inline constexpr int kMaxFrameMargin = 200;
RestoredPlacement ReadFormPlacement(const ProfileFile& profile, const ScreenMetrics& screen);

// Reads every stored property over its value (the control's current
// value): a missing key, or a text that does not convert where the store
// leaves a control alone, keeps the value. An integer that is no number
// reads as 0; a list of lines is read only when its "Count" is above 0.
void RestoreFormValues(const ProfileFile& profile, StoredFormValues& values);

// The store's file: "<config>/stempora/<program name>.INI", <config> being
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config. Empty when
// neither can be found.
std::string FormStatePath(const std::string& program_file);
