// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace cli_test {

namespace {

constexpr int kQuietLimitMs = 60000;

}  // namespace

BatchProcess::BatchProcess(const std::vector<std::string>& arguments, const fs::path& folder, int stderr_fd)
    : err_path_(folder / ".stderr") {
  int out_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  const int err_fd =
      stderr_fd >= 0 ? stderr_fd : open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  // Everything the child needs is made before fork: between fork and exec
  // only calls that are safe in a copy of a threaded process are made.
  std::vector<std::string> argv_text = {STEMPORA_BATCH_EXE};
  argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : argv_text) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const std::string folder_text = folder.string();

  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(folder_text.c_str()) != 0) _exit(127);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_fd, STDERR_FILENO);
    // The test runner may ignore or block signals; the program must meet
    // them as a shell would hand them over.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  if (stderr_fd < 0) close(err_fd);
  out_fd_ = out_pipe[0];
  if (pid_ < 0) throw std::runtime_error("fork");
}

BatchProcess::~BatchProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_fd_ >= 0) close(out_fd_);
  std::error_code ignored;
  fs::remove(err_path_, ignored);
}

bool BatchProcess::read_more() {
  pollfd waiting = {out_fd_, POLLIN, 0};
  if (poll(&waiting, 1, kQuietLimitMs) <= 0) return false;
  char buffer[4096];
  const ssize_t count = read(out_fd_, buffer, sizeof buffer);
  if (count <= 0) return false;
  out_.append(buffer, size_t(count));
  return true;
}

bool BatchProcess::wait_for_line_ending(const std::string& suffix) {
  const std::string wanted = suffix + "\n";
  for (;;) {
    const size_t at = out_.find(wanted, scanned_);
    if (at != std::string::npos) {
      scanned_ = at + wanted.size();
      return true;
    }
    if (!read_more()) return false;
  }
}

void BatchProcess::send(int signal_number) { kill(pid_, signal_number); }

BatchRun BatchProcess::finish() {
  while (read_more()) {
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  BatchRun run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = out_;
  run.err = read_text(err_path_.string());
  return run;
}

}  // namespace cli_test
