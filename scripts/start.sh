#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the window program, or, where it is not built, runs the example job.
set -euo pipefail
build=${1:-build}
if [ -x "$build/bin/stempora" ]; then
  exec "$build/bin/stempora"
fi
exec "$build/bin/stempora-batch" examples/example.stx
