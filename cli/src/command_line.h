// The arguments of stempora-batch.
#pragma once

#include <string>
#include <vector>

struct BatchCommandLine {
  bool show_help = false;
  int jobs = 1;          // accepted; the run is sequential for now
  std::string job_file;  // the settings file to run
  std::string error;     // non-empty: the arguments were not understood
};

BatchCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments);

extern const char kBatchUsage[];
