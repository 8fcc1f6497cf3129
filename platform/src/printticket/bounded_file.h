// Reading a whole regular file with a size bound. Kept apart from the
// platform headers, whose names the POSIX headers would clash with.
#pragma once

#include <cstddef>
#include <string>

namespace tav::printticket {

struct FileReadResult {
    enum Kind { kRead, kSystemError, kNotRegularFile, kTooLarge } kind = kRead;
    int systemError = 0;  // errno, for kSystemError
    std::string reason;   // in words, unless kRead
};

// Refuses anything but a regular file (a FIFO or device could block or
// never end) and files of more than limit bytes.
FileReadResult ReadBoundedFile(const std::string& path, size_t limit, std::string* bytes);

}  // namespace tav::printticket
