// SPDX-License-Identifier: GPL-3.0-or-later
// The child side of the batch benchmark: one run of the benchmark job over
// a list of sources, timed inside the process.
#pragma once

// batch_bench job --list FILE --out-dir NAME --workers N
// Prints "run_seconds=S cpu_seconds=C written=W failed=F skipped=K" on one
// line and exits 0 when the run went through (missed outputs included; the
// parent checks the counts), 1 when it could not run.
int RunBenchJob(int argc, char** argv);
