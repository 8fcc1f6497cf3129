#include "package/byte_reader.h"

namespace tav::host {
namespace {

class EmptyReader : public ByteReader {
public:
    size_t Read(void*, size_t) override { return 0; }
};

class Empty : public PartContent {
public:
    std::unique_ptr<ByteReader> Open() const override { return std::make_unique<EmptyReader>(); }
    std::optional<uint64_t> KnownSize() const override { return 0; }
};

}  // namespace

size_t ReadFully(ByteReader& reader, void* buffer, size_t count)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t total = 0;
    while (total < count) {
        size_t got = reader.Read(bytes + total, count - total);
        if (got == 0) break;
        total += got;
    }
    return total;
}

std::shared_ptr<const PartContent> EmptyContent()
{
    static const std::shared_ptr<const PartContent> empty = std::make_shared<Empty>();
    return empty;
}

}  // namespace tav::host
