// The form-state store's keys and value texts: which control values the
// window keeps between runs, the window placement, and the INI file they
// live in. The window copies its controls into StoredFormValues and back;
// everything about the file's text is decided here.
#pragma once

#include <optional>
#include <string>

#include "run/text_font.h"
#include "settings/profile_file.h"
#include "run/watermark_options.h"

inline constexpr const char* kFormStateSection = "TMainForm";
inline constexpr const char* kMemoLinesSection = "TMainForm.Memo1_Lines";

// The stored control values, as the controls hold them.
struct StoredFormValues {
  TextFont font;                  // FontDialog1.Font
  std::string memo_text;          // Memo1, lines separated by "\n"
  double text_margin = 20;        // RandEd.Value
  double picture_margin = 20;     // RandEd2.Value
  std::string text_position;      // Position1.Text
  std::string picture_position;   // Position2.Text
  int text_transparency = 75;     // TrackBar1.Position
  int picture_transparency = 50;  // TrackBar2.Position
  double jpeg_quality = 75;       // jpeged.Value
  bool add_text = true;           // AddTextCheck.Checked
  bool add_picture = false;       // AddPicCheck.Checked
  // Kept in a section of their own ("Erweitert"), only while one is on.
  WatermarkOptions options;
};

struct ScreenMetrics {
  int width = 0;   // pixels
  int height = 0;  // pixels
  int pixels_per_inch = 96;
};

struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// The window placement as the platform describes it.
struct FormPlacement {
  int flags = 0;
  int show_cmd = 1;  // 1 normal, 2 minimised, 3 maximised
  int min_x = -1, min_y = -1, max_x = -1, max_y = -1;
  WindowRect normal;  // outer rectangle of the window when not maximised
  bool destroying = false;
};

// Writes the placement, then the values in the stored order.
void SaveFormState(ProfileFile& profile, const FormPlacement& placement, const ScreenMetrics& screen,
                   const StoredFormValues& values);

struct RestoredPlacement {
  bool restore = true;               // FormVersion at least 0
  std::optional<WindowRect> normal;  // only when usable at this screen's pixels per inch
  int show_cmd = 1;
};
RestoredPlacement ReadFormPlacement(const ProfileFile& profile, const ScreenMetrics& screen);

// Reads every stored value over values (the controls' current values):
// a missing key, or a text that does not convert where the store leaves a
// control alone, keeps the value.
void RestoreFormValues(const ProfileFile& profile, StoredFormValues& values);

// The memo's text as the store's list of lines and back: a last empty
// line does not count, as in a memo whose text ends with a line break.
std::vector<std::string> MemoTextLines(const std::string& text);
std::string MemoTextFromLines(const std::vector<std::string>& lines);

// Value texts, exposed for the tests of their edge cases.
std::string FormatStoredFloat(double value);  // shortest general, "." separator
std::optional<double> ParseStoredFloat(const std::string& text);
int32_t ParseStoredInteger(const std::string& text);  // 0 when not a number
std::string FormatFontStyle(uint8_t style);           // "[fsBold,fsItalic]"
std::optional<uint8_t> ParseFontStyle(const std::string& text);

// The store's file: "<config>/stempora/<program name>.INI", <config> being
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config. Empty when
// neither can be found.
std::string FormStatePath(const std::string& program_file);
