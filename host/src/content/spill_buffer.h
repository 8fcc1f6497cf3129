// Content being written: kept in memory up to a threshold, then moved to an
// unlinked temporary file, so that big pages never sit in memory. Finish
// turns it into immutable content that any number of readers read at once.
#pragma once

#include <memory>
#include <string>

#include "content/byte_reader.h"

namespace tav::host {

class SpillBuffer {
public:
    static constexpr size_t kDefaultMemoryLimit = size_t{1} << 20;
    static constexpr uint64_t kDefaultMaxSize = uint64_t{1} << 30;

    explicit SpillBuffer(size_t memoryLimit = kDefaultMemoryLimit, uint64_t maxSize = kDefaultMaxSize);
    ~SpillBuffer();
    SpillBuffer(const SpillBuffer&) = delete;
    SpillBuffer& operator=(const SpillBuffer&) = delete;

    // Throws std::runtime_error when the temporary file cannot be written or
    // the content would exceed maxSize.
    void Append(const void* bytes, size_t count);
    void Append(const std::string& text) { Append(text.data(), text.size()); }
    uint64_t Size() const { return size_; }
    bool Spilled() const { return fd_ >= 0; }
    // The content written so far; the buffer is empty again afterwards.
    std::shared_ptr<const PartContent> Finish();

private:
    void SpillToFile();
    void FlushToFile();

    size_t memoryLimit_;
    uint64_t maxSize_;
    uint64_t size_ = 0;
    std::string memory_;
    int fd_ = -1;
};

// Content over bytes held in memory.
std::shared_ptr<const PartContent> MemoryContent(std::string bytes);

}  // namespace tav::host
