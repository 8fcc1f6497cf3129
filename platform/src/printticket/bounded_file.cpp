#include "bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tav::printticket {
namespace {

FileReadResult SystemError(int error)
{
    return {FileReadResult::kSystemError, error, std::error_code(error, std::generic_category()).message()};
}

}  // namespace

FileReadResult ReadBoundedFile(const std::string& path, size_t limit, std::string* bytes)
{
    bytes->clear();
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return SystemError(errno);
    struct Closer {
        int descriptor;
        ~Closer() { ::close(descriptor); }
    } closer{descriptor};
    struct stat status;
    if (::fstat(descriptor, &status) != 0) return SystemError(errno);
    if (!S_ISREG(status.st_mode)) return {FileReadResult::kNotRegularFile, 0, "it is not a regular file"};
    FileReadResult tooLarge{FileReadResult::kTooLarge, 0, "it is larger than " + std::to_string(limit) + " bytes"};
    if (static_cast<unsigned long long>(status.st_size) > limit) return tooLarge;
    // One byte more than the size, to notice a file that grew meanwhile.
    bytes->resize(static_cast<size_t>(status.st_size) + 1);
    size_t done = 0;
    for (;;) {
        ssize_t got = ::read(descriptor, bytes->data() + done, bytes->size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return SystemError(errno);
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
        if (done == bytes->size()) {
            if (done > limit) return tooLarge;
            bytes->resize(done + 64 * 1024);
        }
    }
    bytes->resize(done);
    return {};
}

}  // namespace tav::printticket
