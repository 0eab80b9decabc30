// SPDX-License-Identifier: GPL-3.0-or-later
// Variables in the text watermark, replaced per source before the text is
// laid out: {Datei} (file name without folder and extension), {Dateiname}
// (with extension), {Ordner} (name of the source's folder), {Datum}
// (TT.MM.JJJJ), {Uhrzeit} (hh:mm), {Jahr}, {Breite}, {Hoehe}, {Kamera}
// (EXIF Make and Model), {Nr} (position in the list, from 1). "{{" and "}}"
// write one brace; a name that is none of these is written as it stands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A calendar time as shown: the camera's own clock, or the file's
// modification time in local time.
struct ShownTime {
  int year = 0;    // 1..9999
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..60; output names only ({Sekunde})
};

// What the variables of one source stand for.
struct SourceFacts {
  std::string path;    // the source as opened; its last two names give {Dateiname} and {Ordner}
  int64_t number = 0;  // position in the whole list, from 1
  int64_t width = 0;   // the picture as loaded (turned upright), pixels
  int64_t height = 0;
  std::optional<ShownTime> taken;  // EXIF DateTimeOriginal, else the modification time
  std::string camera;              // Make and Model; empty when the file names neither
};

// The text with every variable replaced. Values never add lines: a line
// break or other control character in a file name is written as a blank.
std::string ReplaceTextVariables(const std::string& text, const SourceFacts& facts);

// Whether the text names a variable that needs the file's EXIF fields or
// its modification time ({Datum}, {Uhrzeit}, {Jahr}, {Kamera}).
bool TextNeedsCaptureFacts(const std::string& text);

// The facts of a loaded source. The path is made absolute (lexically) so
// that {Ordner} names a folder for a relative path too. The file is read
// again for its EXIF fields only when read_capture is set; without EXIF
// the modification time is taken in the local time zone.
SourceFacts ReadSourceFacts(const std::string& path, int64_t number, int64_t width, int64_t height,
                            bool read_capture);

// {Kamera}: Make and Model joined by a blank; a Model that already starts
// with the Make ("Canon" and "Canon EOS 5D") is written alone.
std::string CameraName(const std::string& make, const std::string& model);
