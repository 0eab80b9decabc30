// SPDX-License-Identifier: GPL-3.0-or-later
// Scratch folders with pictures and settings files, and a way to run
// stempora-batch on them and collect what it printed.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/temp_folder.h"

namespace cli_test {

namespace fs = std::filesystem;

struct ScratchFolder : testsupport::TempDir {
  ScratchFolder() : TempDir("stempora-cli") {}
  // Jobs name sources in subfolders; their folders are made on the way.
  std::string file(const std::string& name) const { return file_in_new_folders(name); }
};

// Writes a 4 x 3 24-bit picture as BMP, whatever the name's extension.
void write_bmp(const std::string& path);
// Writes a width x height picture of a colour pattern with the bit count
// (24, or 8 with a grey palette) in the format (PIXKIT_FORMAT_*).
void write_picture(const std::string& path, int width, int height, int bits, int format);
std::string read_text(const std::string& path);

// A job over the sources with both watermarks off, written to path.
void write_job(const std::string& path, const std::vector<std::string>& sources, const std::string& out_dir,
               bool add_text = false);

struct BatchRun {
  int exit_code = -1;
  std::string out;
  std::string err;
  std::vector<std::string> lines() const;  // stdout split into lines
};

// Runs stempora-batch with the arguments (each quoted) from folder, with
// QT_QPA_PLATFORM unset so the program has to choose its platform itself.
// input is what the program reads on standard input.
BatchRun run_batch(const std::vector<std::string>& arguments, const fs::path& folder,
                   const std::string& input = "");

// Every regular file below folder, by its path relative to folder, with
// its bytes.
std::map<std::string, std::string> files_below(const fs::path& folder);

}  // namespace cli_test
