// Pieces of the run's log lines that come from outside the run: file names
// and the imaging library's failure reasons.
#pragma once

#include <string>

// The path as it stands in a log line. Control characters (a line break in
// a file name, say) are written as escapes, so one source stays one log
// line: "\n", "\r" and "\t" as backslash and letter, the others as "\xNN".
// Every other byte, a backslash included, stays as it is, so an ordinary
// name is shown unchanged.
std::string LogPathText(const std::string& path);

// The German text of a PIXKIT_REASON_* code, for the end of a failed load's
// or save's log line ("... konnte nicht geladen werden! (<text>)").
std::string LoadFailureText(int reason);
std::string SaveFailureText(int reason);
