// SPDX-License-Identifier: GPL-3.0-or-later
// fork + exec with a pipe for the child's standard output and wait4 for
// its resource use. wait4 reports the one child's peak, where
// getrusage(RUSAGE_CHILDREN) would report the largest of all children so
// far and could never show a smaller run after a larger one.
#include "child_process.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

cpu_set_t core_set(const std::vector<int>& cores) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (int core : cores)
    if (core >= 0 && core < CPU_SETSIZE) CPU_SET(core, &set);
  return set;
}

std::string read_all(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, size_t(n));
    } else if (n == 0 || errno != EINTR) {
      return text;
    }
  }
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& args, const std::vector<int>& cores) {
  ChildRun run;
  if (args.empty()) return run;
  // Everything the child needs is made before fork: between fork and exec
  // only async-signal-safe calls are allowed.
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const cpu_set_t set = core_set(cores);

  int out[2];
  if (pipe(out) != 0) return run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    close(out[0]);
    close(out[1]);
    return run;
  }
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    if (!cores.empty() && sched_setaffinity(0, sizeof set, &set) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  run.started = true;
  run.output = read_all(out[0]);
  close(out[0]);

  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  run.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu_seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  run.peak_kb = usage.ru_maxrss;  // KiB on Linux
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::vector<int> AllowedCores() {
  std::vector<int> cores;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return cores;
  for (int core = 0; core < CPU_SETSIZE; ++core)
    if (CPU_ISSET(core, &set)) cores.push_back(core);
  return cores;
}

std::string OwnExecutable() {
  std::error_code error;
  const std::filesystem::path own = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : own.string();
}

double ChildFigure(const std::string& output, const std::string& key, double fallback) {
  const std::string needle = key + "=";
  size_t at = output.find(needle);
  // Only at the start of a line or after a blank, so "run_seconds" does not
  // match inside "cpu_run_seconds".
  while (at != std::string::npos && at > 0 && output[at - 1] != '\n' && output[at - 1] != ' ')
    at = output.find(needle, at + 1);
  if (at == std::string::npos) return fallback;
  char* end = nullptr;
  const double value = std::strtod(output.c_str() + at + needle.size(), &end);
  return end == output.c_str() + at + needle.size() ? fallback : value;
}
