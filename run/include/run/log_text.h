// SPDX-License-Identifier: GPL-3.0-or-later
// File names as they stand in the run's log lines (the failure texts around
// them are in failure_text.h).
#pragma once

#include <string>

// The path as it stands in a log line. Control characters (a line break in
// a file name, say) are written as escapes, so one source stays one log
// line: "\n", "\r" and "\t" as backslash and letter, the others as "\xNN".
// Every other byte, a backslash included, stays as it is, so an ordinary
// name is shown unchanged.
std::string LogPathText(const std::string& path);
