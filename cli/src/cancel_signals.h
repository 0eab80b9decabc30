// SPDX-License-Identifier: GPL-3.0-or-later
// SIGINT and SIGTERM cancel a run the way the window's "Abbrechen" does:
// the handler only sets a flag that the run reads before it hands out the
// next source, so sources in flight are finished and no file is left
// half-written.
#pragma once

#include <atomic>

// Installs the handlers. The first SIGINT or SIGTERM sets the flag; the
// handler then falls back to the default, so a second one ends the program
// at once for someone who does not want to wait for the sources in flight.
void InstallCancelSignals();

// The flag for BatchControl::cancel.
const std::atomic<bool>* CancelFlag();

// The first signal that cancelled, 0 when none came.
int CancelSignal();
