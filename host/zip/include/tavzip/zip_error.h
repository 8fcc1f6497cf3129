// The failures of reading a zip archive: which entry, and what is wrong
// with it.
#pragma once

#include <stdexcept>
#include <string>

namespace tav::zip {

class ZipError : public std::runtime_error {
public:
    // name: the entry's name as the archive stores it, or the name its
    // reader was opened under; empty for a fault of the whole archive.
    ZipError(std::string name, std::string reason)
        : std::runtime_error(name.empty() ? reason : name + ": " + reason),
          name_(std::move(name)),
          reason_(std::move(reason))
    {
    }
    const std::string& Name() const { return name_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string name_;
    std::string reason_;
};

}  // namespace tav::zip
