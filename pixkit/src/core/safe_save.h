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

// Runs write_content on a temporary file beside the target (same
// permission bits as an existing target) and renames it over the target
// only when the content and the close succeeded. An existing target whose
// permission bits forbid writing, or that is not a regular file, is refused.
Status save_atomically(const std::string& path, const std::function<Status(OutputFile&)>& write_content);

}  // namespace pixkit
