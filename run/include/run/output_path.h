// SPDX-License-Identifier: GPL-3.0-or-later
// Where the batch run writes a source: the recognised extensions and the
// output folder and path beside the source.
#pragma once

#include <string>

// SourceExtensions: row k (1..12) of the table is entry k - 1 here; the
// run passes k + 2 to SaveDib as the format code. Compared without regard
// to letter case, dot included.
inline constexpr int kSourceExtensionCount = 12;
extern const char* const SourceExtensions[kSourceExtensionCount];

inline constexpr int kJpegRow = 6;   // ".jpg"
inline constexpr int kTiffRow = 11;  // ".tif"

// The row (1..12) of the source's extension in SourceExtensions, 0 when
// the file name has no extension or one that is not in the table. ".jpeg"
// and ".tiff" take the rows of ".jpg" and ".tif".
int SourceExtensionRow(const std::string& source);

// The path the run opens for a listed source: a relative one is taken from
// sources_folder (the folder of the settings file it was stored in), an
// absolute one, or any when sources_folder is empty, as it stands. The
// list itself keeps every path as stored.
std::string OpenedSourcePath(const std::string& source, const std::string& sources_folder);

// The file-name part of a path (after its last "/").
std::string FileNamePart(const std::string& source);

// The folder part of a source up to and including its last "/"; empty for
// a bare file name, which lives in the current folder.
std::string SourceFolder(const std::string& source);

// Source folder (or "./" for a bare file name) + out_dir + "/": the
// folder the output goes to. A backslash in out_dir separates folder
// levels like "/", so jobs made on other systems keep working. out_dir is
// a subfolder even when it starts with a separator; no separator is
// doubled anywhere in the part that out_dir adds.
std::string OutputFolder(const std::string& source, const std::string& out_dir);

// OutputFolder + the source's file name, name and extension unchanged.
std::string OutputPath(const std::string& source, const std::string& out_dir);

// Whether the output subfolder name leads out of the source's folder: one
// of its levels (between "/" or "\") is "..". The run refuses such a name,
// so a job file or a command line cannot send the outputs (or the
// folders the run makes) anywhere else. A leading separator does not do
// it: the name is a subfolder whatever it starts with.
bool OutDirLeavesSourceFolder(const std::string& out_dir);

// The German message of that refusal; the name follows it.
inline constexpr char kOutDirLeavesSourceFolderText[] =
    "Der Name des Unterverzeichnisses führt mit \"..\" aus dem Ordner der Quelldateien hinaus. "
    "Bitte einen Namen für ein Unterverzeichnis wählen.\nName: ";
