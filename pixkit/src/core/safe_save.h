// Writes a file so that a failure never leaves a half-written target and
// never harms an older file of the same name.
#pragma once

#include <functional>
#include <string>

#include "output_file.h"
#include "result.h"

namespace pixkit {

// The file a write to path lands in: path itself, or the file a chain of
// symbolic links names.
Result<std::string> resolve_write_target(const std::string& path);

// Runs write_content on a temporary file in the target's folder (same
// permission bits as an existing target), flushes it to the disk and renames
// it over the target only when the content and the close succeeded; the
// folder is flushed after the rename. The temporary file is unnamed while it
// is written where the system allows, else it has a short hidden name of its
// own; a failure removes it. An existing target whose permission bits forbid
// writing, or that is not a regular file, is refused. When reason is given
// it receives the PIXKIT_REASON_* of a failure (PIXKIT_REASON_NONE on
// success).
Status save_atomically(const std::string& path, const std::function<Status(OutputFile&)>& write_content,
                       int* reason = nullptr);

}  // namespace pixkit
