// Forward readers of a part's bytes, and the immutable content they read.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tav::host {

class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Up to count bytes; fewer only at the end (0 once the end is reached).
    // Throws PackageError when the bytes cannot be read.
    virtual size_t Read(void* buffer, size_t count) = 0;
};

// A part's content: immutable once made, read by any number of readers at
// once, each from the start. Readers keep their content alive, so a part may
// get new content while old readers go on. Always made with make_shared.
class PartContent : public std::enable_shared_from_this<PartContent> {
public:
    virtual ~PartContent() = default;
    virtual std::unique_ptr<ByteReader> Open() const = 0;
    // The size when it is known without reading the content.
    virtual std::optional<uint64_t> KnownSize() const = 0;
};

// Reads count bytes or fewer at the end, looping over short reads.
size_t ReadFully(ByteReader& reader, void* buffer, size_t count);

// A reader of bytes in memory that owner keeps alive.
std::unique_ptr<ByteReader> ReadKeptBytes(std::shared_ptr<const PartContent> owner, const std::string& bytes);

// Content with no bytes (a part made but never written).
std::shared_ptr<const PartContent> EmptyContent();

}  // namespace tav::host
