#include "job/standard_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tav::host {
namespace {

std::runtime_error SystemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

StandardInputSpool::StandardInputSpool()
{
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/tavinput-XXXXXX";
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) throw SystemError("cannot create a spool file for standard input");
    unlink(name.c_str());
    char block[65536];
    for (;;) {
        ssize_t got = read(STDIN_FILENO, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail("cannot read standard input");
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(fd_, block + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) Fail("cannot spool standard input");
            done += put;
        }
    }
}

void StandardInputSpool::Fail(const std::string& what)
{
    std::runtime_error error = SystemError(what);
    close(fd_);
    fd_ = -1;
    throw error;
}

StandardInputSpool::~StandardInputSpool()
{
    if (fd_ >= 0) close(fd_);
}

std::string DisplayName(const std::string& path, const char* standardName) { return path == "-" ? standardName : path; }

}  // namespace tav::host
