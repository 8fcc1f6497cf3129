// Where a zip writer keeps the central directory's records until the archive
// is finished. Records are small, but there is one per entry: a writer of
// archives with very many entries may keep them outside memory.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace tav::zip {

class DirectoryBuffer {
public:
    using Sink = std::function<void(const void* bytes, size_t count)>;

    virtual ~DirectoryBuffer() = default;
    // Throws std::runtime_error when the record cannot be kept.
    virtual void Append(const std::string& record) = 0;
    // Passes everything appended, in order, to sink (in blocks of any size).
    virtual void WriteOut(const Sink& sink) = 0;
};

// Records kept in memory.
std::unique_ptr<DirectoryBuffer> MemoryDirectory();

}  // namespace tav::zip
