// SPDX-License-Identifier: GPL-3.0-or-later
// stempora-batch running beside the test, for what has to happen while it
// works: a signal sent in the middle of a run, a terminal on its standard
// error.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_scratch_job.h"

namespace cli_test {

class BatchProcess {
 public:
  // Starts stempora-batch with the arguments in folder. Its standard
  // output comes back through a pipe; its standard error goes to the
  // terminal given by stderr_fd, or to a file when that is -1.
  BatchProcess(const std::vector<std::string>& arguments, const fs::path& folder, int stderr_fd = -1);
  ~BatchProcess();
  BatchProcess(const BatchProcess&) = delete;
  BatchProcess& operator=(const BatchProcess&) = delete;

  // Reads standard output until a line ending in suffix has come; false
  // when the output ends first or nothing comes for a minute.
  bool wait_for_line_ending(const std::string& suffix);
  void send(int signal_number);
  // Reads the rest of the output and waits for the program to end. The
  // exit code is -1 when a signal ended it.
  BatchRun finish();

 private:
  bool read_more();

  pid_t pid_ = -1;
  int out_fd_ = -1;
  fs::path err_path_;
  std::string out_;
  size_t scanned_ = 0;  // out_ up to here holds no line searched for yet
};

}  // namespace cli_test
