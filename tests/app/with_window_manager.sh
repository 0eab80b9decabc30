#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on the X display in $DISPLAY with a window manager (the
# first argument) managing its windows; the window manager ends with it.
window_manager="$1"
shift
"$window_manager" >/dev/null 2>&1 &
manager=$!
# The manager takes over the display within a moment; a window the tests
# show before then is framed when it does, and the tests wait for that.
sleep 1
"$@"
status=$?
kill "$manager" 2>/dev/null
wait "$manager" 2>/dev/null
exit "$status"
