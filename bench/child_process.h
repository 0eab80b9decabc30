// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a benchmark's work in a child process of its own, so that its peak
// memory and its cores are its own: the peak resident size is what the
// kernel recorded for that one child, and the child may be held to chosen
// cores before it starts.
#pragma once

#include <string>
#include <vector>

struct ChildRun {
  bool started = false;
  int exit_status = -1;     // the child's exit status; -1 when it did not exit normally
  double wall_seconds = 0;  // from just before the start to the end, seen from here
  double cpu_seconds = 0;   // its processor time, with that of the children it waited for
  long peak_kb = 0;         // the child's peak resident set size, in KiB
  std::string output;       // everything it wrote to its standard output
  bool ok() const { return started && exit_status == 0; }
};

// Starts args[0] (a path, not looked up) with args, on the given cores only
// (empty: the cores this process may use), and waits for it. Its standard
// error stays this process's.
ChildRun RunChild(const std::vector<std::string>& args, const std::vector<int>& cores);

// The cores this process may run on, in ascending order.
std::vector<int> AllowedCores();

// This program's own file, to start it again as a child.
std::string OwnExecutable();

// The number after "key=" in a child's output; fallback when it is missing.
double ChildFigure(const std::string& output, const std::string& key, double fallback = -1);
