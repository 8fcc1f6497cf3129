// The one error type of package reading and writing: what went wrong with
// which part. The command line prints it as "FILE: PART: REASON".
#pragma once

#include <stdexcept>
#include <string>

namespace tav::host {

class PackageError : public std::runtime_error {
public:
    PackageError(std::string part, std::string reason)
        : std::runtime_error(part.empty() ? reason : part + ": " + reason),
          part_(std::move(part)),
          reason_(std::move(reason))
    {
    }
    const std::string& Part() const { return part_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string part_;
    std::string reason_;
};

}  // namespace tav::host
