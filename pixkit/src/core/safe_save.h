// SPDX-License-Identifier: LGPL-2.1-or-later
// Writes a file so that a failure never leaves a half-written target and
// never harms an older file of the same name.
#pragma once

#include <functional>
#include <string>

#include "output_file.h"
#include "result.h"

namespace pixkit {

// Runs write_content on a temporary file in the target's folder (same
// permission bits as an existing target), flushes it to the disk and renames
// it over the target only when the content and the close succeeded; the
// folder is flushed after the rename. The temporary file is unnamed while it
// is written where the system allows, else it has a short hidden name of its
// own (temporary_names.h); a failure removes it. An existing target whose
// permission bits forbid writing, or that is not a regular file, is refused.
// A symbolic link at path is replaced by the new file; what it names is not
// touched. When reason is given
// it receives the PIXKIT_REASON_* of a failure (PIXKIT_REASON_NONE on
// success).
Status save_atomically(const std::string& path, const std::function<Status(OutputFile&)>& write_content,
                       int* reason = nullptr);

}  // namespace pixkit
