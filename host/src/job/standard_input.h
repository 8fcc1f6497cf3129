// "-" as the input: standard input copied to an unlinked temporary file,
// since a zip archive is read from its end and by seeking.
#pragma once

#include <string>

namespace tav::host {

class StandardInputSpool {
public:
    // Copies all of standard input. Throws std::runtime_error.
    StandardInputSpool();
    ~StandardInputSpool();
    StandardInputSpool(const StandardInputSpool&) = delete;
    StandardInputSpool& operator=(const StandardInputSpool&) = delete;

    // A name that opens the spooled bytes.
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    [[noreturn]] void Fail(const std::string& what);
    int fd_ = -1;
};

// How messages name an input or output given as "-".
std::string DisplayName(const std::string& path, const char* standardName);

}  // namespace tav::host
