// What is wrong with a --device file, said before the PrintTicket provider
// opens it (the provider answers only with a status code).
#pragma once

#include <optional>
#include <string>

namespace tav::host {

// "cannot read it: No such file or directory", "not a device description:
// line 3: ...", or nothing when the file looks like a device description.
std::optional<std::string> DeviceFileFault(const std::string& path);

}  // namespace tav::host
