// SPDX-License-Identifier: GPL-3.0-or-later
// stempora-batch --mark MARK: a further mark given as comma-separated
// key=value pairs ("\," is a comma inside a value, "\\" a backslash).
#pragma once

#include <string>

#include "run/further_marks.h"

// A mark as the command line gives it: everything but a picture's pixels,
// which are loaded from picture_path (from the current folder) before the
// run.
struct MarkOption {
  FurtherMark mark;
  std::string picture_path;  // empty for a text mark
  bool keep_alpha = false;   // load the picture with its alpha channel
};

struct MarkOptionRead {
  MarkOption given;
  std::string error;  // non-empty: the German one-line reason
};

MarkOptionRead ParseMarkOption(const std::string& text);
