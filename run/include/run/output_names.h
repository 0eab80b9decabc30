// SPDX-License-Identifier: GPL-3.0-or-later
// The file name an output gets under the export options: the name pattern
// with its variables, the extension of the output format, and the numbers
// " (2)", " (3)", ... that keep names apart.
#pragma once

#include <cstdint>
#include <string>

#include "run/export_options.h"
#include "run/text_variables.h"

// The name as a file can hold it on every system a job may travel to:
// "/", "\", ":", "*", "?", '"', "<", ">", "|" and control characters
// become "_". An empty name, "." and ".." become underscores as well, so
// a name never means a folder.
std::string FileNameSafe(const std::string& name);

// Whether a name pattern needs the file's EXIF fields or its
// modification time.
bool NamePatternNeedsCaptureFacts(const std::string& pattern);

// Whether a name pattern's folders lead out of the output folder: it
// starts with "/" or one of its levels between "/" is "..". The run
// refuses such a pattern as it refuses such a subfolder name.
bool NamePatternLeavesOutputFolder(const std::string& pattern);

// The German message of that refusal; the pattern follows it.
inline constexpr char kNamePatternLeavesOutputFolderText[] =
    "Das Namensmuster führt mit \"..\" oder einem \"/\" am Anfang aus dem Ausgabeordner hinaus. "
    "Bitte nur Unterordner darunter benennen.\nMuster: ";

// The pattern with its variables replaced, made safe, without extension.
// The text watermark's variables apply, {Nr} is the source's place in the
// whole list and {Nr:4} the same with zeros in front to four digits
// (widths 1 to 9). From the capture time (the file's time without one),
// names also take {Jahr} (4 digits), {Monat}, {Tag}, {Stunde}, {Minute},
// {Sekunde} (2 digits each) and {Datum:ISO} (2023-06-15); empty without
// a time. A "/" becomes "_" here: this is one level's name. The name is fixed before any picture is loaded,
// so {Breite} and {Hoehe} are written as they stand.
std::string NameFromPattern(const std::string& pattern, const SourceFacts& facts);

// The output file name of a source: the pattern's name (or, with no
// pattern, the source's own name without its extension) and the format's
// extension. With neither set the source's file name as it stands. A "/"
// in the pattern makes folders: "{Jahr}/{Monat}/{Datei}" gives
// "2023/06/IMG_1.jpg", relative to the output folder (empty levels are
// dropped; NamePatternLeavesOutputFolder patterns are refused before).
// Every level is cut to fit (FittedStem).
std::string OutputFileName(const std::string& source, const ExportOptions& output, const SourceFacts& facts);

// The longest file name the file systems take, in bytes, and the room a
// name keeps for " (n)" up to " (99999)".
inline constexpr size_t kMaxFileNameBytes = 255;
inline constexpr size_t kNumberSuffixRoom = 8;

// stem cut (at a whole character) so that stem, " (n)" and an extension
// of extension_bytes fit in kMaxFileNameBytes: a long pattern, or long
// text variables in it, give a shorter name instead of a failed save.
std::string FittedStem(const std::string& stem, size_t extension_bytes);

// name with " (n)" put in front of its extension: "a.jpg", 2 -> "a (2).jpg".
// n below 2 leaves the name as it is.
std::string NumberedFileName(const std::string& name, int64_t n);
