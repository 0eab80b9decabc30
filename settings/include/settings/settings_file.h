// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file (".stx"): a complete job as a flat little-endian field
// sequence without signature. A file we write is byte for byte that
// layout; every file laid out that way reads.
//
// Ownership: SettingsFileContent is a plain value. For WriteSettingsFile the
// watermark record is only read and stays the caller's. A content returned
// by ReadSettingsFile owns a fresh watermark record made with newdib: the
// receiver releases it with deldib exactly once (or hands it on, e.g. makes
// it the window's picture watermark). Copies share that record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/job.h"
#include "run/text_font.h"
#include "settings/watermark_options.h"

// Every field of a settings file, as the window's controls hold them.
struct SettingsFileContent {
  std::vector<std::string> sources;  // ListBox1, in order, each as stored
  double text_margin = 20;           // RandEd (whole number after reading)
  double picture_margin = 20;        // RandEd2 (whole number after reading)
  // Memo1's whole text as the file stores it, line breaks included (the
  // writer's are CR LF; a file may hold lone LF or CR too). It stays one
  // string all the way to the text pass, which alone splits it into lines.
  std::string text;
  // Radio pairs. The writer stores each button's state. After reading, at
  // most one button of a pair is selected; both may be unselected.
  bool text_on = true;                    // AddTextCheck
  bool text_off = false;                  // AddNoTextCheck
  bool picture_on = false;                // AddPicCheck
  bool picture_off = true;                // NoPicChecked
  int text_transparency = 75;             // TrackBar1, 0..100 after reading
  int picture_transparency = 50;          // TrackBar2, 0..100 after reading
  int text_position = 4;                  // Position1 item index 0..8; -1: no selection
  int picture_position = 9;               // Position2 item index 0..10; -1: no selection
  int jpeg_quality = 75;                  // jpeged, 1..100 after reading
  std::string out_dir = "Wasserzeichen";  // OutDirEd
  std::string sources_dialog_dir;         // OpenDialog1.InitialDir
  std::string picture_dialog_dir;         // OpenDialog2.InitialDir
  std::string open_settings_dialog_dir;   // OpenDialog3.InitialDir
  std::string save_settings_dialog_dir;   // SaveDialog1.InitialDir
  TDibImage watermark{};                  // 24 bits per pixel; see ownership above
  // The text font. Missing when the file ends right after the picture rows
  // (the window then keeps its font); the writer leaves it out when empty.
  std::optional<TextFont> font;
  // The options past the plain passes, in a block after the font record
  // that is written only when one of them is on (the font record then too,
  // the start font when there is none).
  WatermarkOptions options;
  // Not stored: the folder of the settings file the content was read from,
  // which a relative source is meant from (the run opens it from there).
  // Empty for a content that came from no file.
  std::string sources_folder;
};

// Called with 0, then a rising percentage while the picture rows are
// written or read, and 0 again at the end. Whatever it throws passes on to
// the caller of the reader or writer, after the file, a temporary file and
// any picture already read have been released.
using SettingsProgress = std::function<void(int percent)>;

struct SettingsWriteResult {
  bool ok = false;
  // "Die Datei <path> konnte nicht gespeichert werden: <reason>" (caption
  // "Fehler"); the older file at path is left intact.
  std::string message;
};

enum class SettingsReadFailure {
  kNone,
  kCannotOpen,  // the file could not be opened for reading
  kDamaged,     // the file is not a complete settings file
};

struct SettingsReadResult {
  SettingsReadFailure failure = SettingsReadFailure::kNone;
  bool ok() const { return failure == SettingsReadFailure::kNone; }
  // German text for a message box captioned "Fehler", e.g. "Die Datei
  // <path> ist beschädigt und wurde nicht geladen."; empty when ok.
  std::string message;
  SettingsFileContent content;  // complete only when ok; watermark then owned by the receiver
};

// Writes the content through a temporary file beside path that replaces
// path only when every field was written.
SettingsWriteResult WriteSettingsFile(const std::string& path, const SettingsFileContent& content,
                                      const SettingsProgress& progress = {});

// Reads a whole settings file (read access only). Values pass through the
// controls' limits: margins rounded to whole numbers with halves to even,
// jpeg quality limited to 1..100, transparencies to 0..100, an item index
// outside its list becomes -1. Source paths are kept as stored, relative ones
// too; sources_folder is the settings file's folder. On failure nothing
// needs releasing.
SettingsReadResult ReadSettingsFile(const std::string& path, const SettingsProgress& progress = {});

// A margin control's value as the placement arithmetic takes it: truncated
// toward zero, and kept within a range where 64-bit placement sums cannot
// overflow (anything that large places nothing visible anyway).
int64_t MarginPixels(double value);

// The job the window's start button would run with these settings. The
// job points at content.watermark, so content must outlive the job. A
// missing font gives the window's start font.
WatermarkJob JobFromSettings(const SettingsFileContent& content, void* owner = nullptr);
