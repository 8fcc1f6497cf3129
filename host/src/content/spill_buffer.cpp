#include "content/spill_buffer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tav::host {
namespace {

class MemoryBytes : public PartContent {
public:
    explicit MemoryBytes(std::string bytes) : bytes_(std::move(bytes)) {}
    std::unique_ptr<ByteReader> Open() const override;
    std::optional<uint64_t> KnownSize() const override { return bytes_.size(); }

private:
    std::string bytes_;
};

std::unique_ptr<ByteReader> MemoryBytes::Open() const { return ReadKeptBytes(shared_from_this(), bytes_); }

// An unlinked temporary file read with pread, so readers never share a
// file position.
class FileBytes : public PartContent {
public:
    FileBytes(int fd, uint64_t size) : fd_(fd), size_(size) {}
    ~FileBytes() override { close(fd_); }
    std::unique_ptr<ByteReader> Open() const override;
    std::optional<uint64_t> KnownSize() const override { return size_; }

private:
    friend class FileReader;
    int fd_;
    uint64_t size_;
};

class FileReader : public ByteReader {
public:
    explicit FileReader(std::shared_ptr<const FileBytes> file) : file_(std::move(file)) {}
    size_t Read(void* buffer, size_t count) override
    {
        uint64_t left = file_->size_ - position_;
        size_t take = static_cast<size_t>(std::min<uint64_t>(count, left));
        size_t done = 0;
        while (done < take) {
            ssize_t got =
                pread(file_->fd_, static_cast<char*>(buffer) + done, take - done, static_cast<off_t>(position_ + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0)
                throw std::runtime_error(std::string("cannot read a temporary file: ") + std::strerror(errno));
            done += static_cast<size_t>(got);
        }
        position_ += done;
        return done;
    }

private:
    std::shared_ptr<const FileBytes> file_;
    uint64_t position_ = 0;
};

std::unique_ptr<ByteReader> FileBytes::Open() const
{
    return std::make_unique<FileReader>(std::static_pointer_cast<const FileBytes>(shared_from_this()));
}

int MakeTemporaryFile()
{
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/tavpipe-XXXXXX";
    int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot create a temporary file in " + path + ": " + std::strerror(errno));
    unlink(path.c_str());
    return fd;
}

void WriteAll(int fd, const char* bytes, size_t count)
{
    while (count > 0) {
        ssize_t put = write(fd, bytes, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) throw std::runtime_error(std::string("cannot write a temporary file: ") + std::strerror(errno));
        bytes += put;
        count -= static_cast<size_t>(put);
    }
}

}  // namespace

std::shared_ptr<const PartContent> MemoryContent(std::string bytes)
{
    return std::make_shared<MemoryBytes>(std::move(bytes));
}

SpillBuffer::SpillBuffer(size_t memoryLimit, uint64_t maxSize) : memoryLimit_(memoryLimit), maxSize_(maxSize) {}

SpillBuffer::~SpillBuffer()
{
    if (fd_ >= 0) close(fd_);
}

void SpillBuffer::Append(const void* bytes, size_t count)
{
    if (count > maxSize_ - size_) {
        throw std::runtime_error("the part grows beyond " + std::to_string(maxSize_) + " bytes");
    }
    memory_.append(static_cast<const char*>(bytes), count);
    size_ += count;
    // Once spilled, memory_ is only a write buffer in front of the file.
    if (memory_.size() > memoryLimit_) {
        if (fd_ < 0) SpillToFile();
        FlushToFile();
    }
}

void SpillBuffer::SpillToFile() { fd_ = MakeTemporaryFile(); }

void SpillBuffer::FlushToFile()
{
    WriteAll(fd_, memory_.data(), memory_.size());
    memory_.clear();
}

std::shared_ptr<const PartContent> SpillBuffer::Finish()
{
    std::shared_ptr<const PartContent> content;
    if (fd_ < 0) {
        content = MemoryContent(std::move(memory_));
    } else {
        FlushToFile();
        content = std::make_shared<FileBytes>(fd_, size_);
        fd_ = -1;
    }
    memory_.clear();
    size_ = 0;
    return content;
}

}  // namespace tav::host
