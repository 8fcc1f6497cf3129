#include "tavzip/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tav::zip {

OutputFile::OutputFile(std::string path, std::string_view tag) : path_(std::move(path))
{
    size_t slash = path_.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash == 0 ? 1 : slash);
    std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    if (base.empty()) throw std::runtime_error("the output name is a folder");
    temporary_ = folder + "/." + base + "." + std::string(tag) + "-XXXXXX";
    fd_ = mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("cannot create a file in " + folder + ": " + std::strerror(errno));
    // mkostemp makes the file private; the output gets the usual mode.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(temporary_.c_str());
}

int OutputFile::TakeDescriptor()
{
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void OutputFile::Commit()
{
    if (rename(temporary_.c_str(), path_.c_str()) != 0) {
        throw std::runtime_error("cannot rename the finished output to " + path_ + ": " + std::strerror(errno));
    }
    committed_ = true;
}

}  // namespace tav::zip
