// SPDX-License-Identifier: LGPL-2.1-or-later
// Error and warning handling shared by the JPEG reader and writer. libjpeg
// reports a fatal error by calling error_exit, which must not return: ours
// jumps back to the one function per codec file that called setjmp. That
// function holds only trivially destructible locals, so nothing is skipped.
#pragma once

#include <csetjmp>

// clang-format off
#include <cstddef>
#include <cstdio>  // jpeglib.h needs size_t and FILE declared first
#include <jpeglib.h>
// clang-format on

namespace pixkit {

// Corrupt-data warnings tolerated before a picture is given up as damaged.
// Real files carry the odd stray byte; a flood of warnings means garbage.
inline constexpr int kMaxJpegWarnings = 100;

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  // The first message that ended the work, as a fixed text for Result.
  const char* failure;
  // The failure was a size refusal (picture too large, memory exhausted).
  bool too_large;
  int warnings;
};

// Fills err and returns the pointer to hand to cinfo->err. A premature end
// of the data (libjpeg pads it with a warning and carries on) is fatal, as
// is a flood of other corrupt-data warnings; trace messages are dropped.
jpeg_error_mgr* install_jpeg_errors(JpegErrorManager& err);

// Leaves through err's jump buffer with the given text (for our own
// callbacks, such as the scan cap of the progress monitor).
[[noreturn]] void abort_jpeg(j_common_ptr cinfo, const char* failure);

}  // namespace pixkit
