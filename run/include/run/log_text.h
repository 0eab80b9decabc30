// SPDX-License-Identifier: GPL-3.0-or-later
// The run's log lines other than its failures (those are in
// failure_text.h), and file names as they stand in them. Every caller that
// writes such a line, the run, the preview and stempora-batch, takes it
// from here.
#pragma once

#include <cstdint>
#include <string>

// The path as it stands in a log line. Control characters (a line break in
// a file name, say) are written as escapes, so one source stays one log
// line: "\n", "\r" and "\t" as backslash and letter, the others as "\xNN".
// Every other byte, a backslash included, stays as it is, so an ordinary
// name is shown unchanged.
std::string LogPathText(const std::string& path);

// "<path> geladen...": a source loaded (shown_path through LogPathText).
std::string LoadedText(const std::string& shown_path);
// "<path> geschrieben...": an output written.
std::string WrittenText(const std::string& shown_path);
// "<path> geschrieben... (Qualität 83)": an output written under a
// file-size cap, at the quality the cap left.
std::string WrittenText(const std::string& shown_path, int quality);
// "<path>: auch mit Qualität 1 größer als 200000 Bytes": the cap could not
// be kept; the file is written at quality 1 all the same.
std::string OverFileSizeText(const std::string& shown_path, int64_t cap);
// "<path> vorhanden, übersprungen": an output that exists and is kept.
std::string ExistingOutputSkippedText(const std::string& shown_path);
// A source whose colour profile could not be used: its values are
// written as sRGB, without that profile.
std::string UnusableProfileText(const std::string& shown_path);
// The run's one line when kept JPEG blocks are on but the export forbids
// them.
std::string KeptJpegBlocksOffText();
// The run's last line: "Fertig..." or, cancelled, "Abgebrochen...".
std::string RunEndText(bool cancelled);
