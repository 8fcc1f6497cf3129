// The --trace file is created before the job, so that a name that cannot
// be written is a usage error rather than a trace silently lost.
#pragma once

#include <optional>
#include <string>

namespace tav::host {

// Creates the file if it does not exist (an existing one is left as it
// is); the reason when it cannot be opened for writing.
std::optional<std::string> CannotCreateFile(const std::string& path);

}  // namespace tav::host
