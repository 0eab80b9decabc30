// SPDX-License-Identifier: GPL-3.0-or-later
#include "cancel_signals.h"

#include <signal.h>

#include <csignal>

namespace {

// A signal handler can reach nothing but process-wide objects, and may
// only touch lock-free atomics and sig_atomic_t.
std::atomic<bool> cancel_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
volatile std::sig_atomic_t first_signal = 0;

extern "C" void request_cancel(int signal_number) {
  if (first_signal == 0) first_signal = signal_number;
  cancel_requested.store(true);
}

}  // namespace

void InstallCancelSignals() {
  struct sigaction action = {};
  action.sa_handler = request_cancel;
  sigemptyset(&action.sa_mask);
  // SA_RESTART: a worker's read or write that the signal interrupts goes
  // on instead of failing with EINTR, which would turn into a failed save.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<bool>* CancelFlag() { return &cancel_requested; }

int CancelSignal() { return first_signal; }
