#include "spool_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tav::zip {
namespace {

std::runtime_error WriteError(int error)
{
    return std::runtime_error(std::string("cannot write the output: ") + std::strerror(error));
}

bool WriteAll(int fd, const char* bytes, size_t count)
{
    while (count > 0) {
        ssize_t put = write(fd, bytes, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = ENOSPC;
            return false;
        }
        bytes += put;
        count -= static_cast<size_t>(put);
    }
    return true;
}

// Makes sure the target can hold `size` bytes before any old byte is
// overwritten. File systems that cannot reserve space (EOPNOTSUPP, EINVAL)
// are written without the reservation.
void ReserveSpace(int target, off_t size)
{
    if (size == 0) return;
    int error = posix_fallocate(target, 0, size);
    if (error != 0 && error != EOPNOTSUPP && error != EINVAL) throw WriteError(error);
}

}  // namespace

void CopySpoolToTarget(int spool, int target, bool targetIsRegularFile)
{
    struct stat spooled;
    if (fstat(spool, &spooled) != 0)
        throw std::runtime_error(std::string("cannot read the spooled output: ") + std::strerror(errno));
    if (targetIsRegularFile) {
        ReserveSpace(target, spooled.st_size);
        if (lseek(target, 0, SEEK_SET) != 0) throw WriteError(errno);
    }
    char block[65536];
    off_t offset = 0;
    for (;;) {
        ssize_t got = pread(spool, block, sizeof block, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw std::runtime_error(std::string("cannot read the spooled output: ") + std::strerror(errno));
        if (got == 0) break;
        if (!WriteAll(target, block, static_cast<size_t>(got))) throw WriteError(errno);
        offset += got;
    }
    // The old content past the new end goes only now.
    if (targetIsRegularFile && ftruncate(target, offset) != 0) throw WriteError(errno);
}

}  // namespace tav::zip
