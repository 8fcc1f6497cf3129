#include "job/trace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tav::host {

std::optional<std::string> CannotCreateFile(const std::string& path)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return std::string(std::strerror(errno));
    close(fd);
    return std::nullopt;
}

}  // namespace tav::host
