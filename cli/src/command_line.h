// SPDX-License-Identifier: GPL-3.0-or-later
// The arguments of stempora-batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export_flags.h"
#include "mark_option.h"

struct BatchCommandLine {
  bool show_help = false;
  bool show_version = false;
  int jobs = 0;          // sources worked on at once; 0: as many as the process may use cores
  std::string job_file;  // the settings file to run
  // Given after the job file: they replace the job's list and are opened
  // from the current folder. Empty: the job's own list.
  std::vector<std::string> sources;
  // A file with one source per line ("-": standard input), in place of
  // the job's list; opened from the current folder like sources.
  std::optional<std::string> sources_from;
  std::optional<std::string> out_dir;  // in place of the job's output subfolder name
  std::optional<int> quality;          // in place of the job's JPEG quality, 1..100
  ExportFlags output;                  // size, format, names and folder of the outputs
  bool keep_jpeg_blocks = false;       // JPEG outputs keep the blocks the marks do not touch
  std::vector<MarkOption> marks;       // --mark, stamped after the job's marks in this order
  bool no_job_marks = false;           // --no-job-marks: the job's picture and text left out
  bool dry_run = false;                // list what would be written, load nothing
  bool quiet = false;                  // print only the error lines of the log
  // --shard K/N as shard_index = K - 1 and shard_count = N.
  int shard_index = 0;
  int shard_count = 1;
  std::string error;  // non-empty: the arguments were not understood
};

BatchCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments);

extern const char kBatchUsage[];
