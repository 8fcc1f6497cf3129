#include "content/byte_reader.h"

#include <algorithm>
#include <cstring>

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

class KeptBytesReader : public ByteReader {
public:
    KeptBytesReader(std::shared_ptr<const PartContent> owner, const std::string& bytes)
        : owner_(std::move(owner)), bytes_(bytes)
    {
    }
    size_t Read(void* buffer, size_t count) override
    {
        size_t take = std::min(count, bytes_.size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, take);
        position_ += take;
        return take;
    }

private:
    std::shared_ptr<const PartContent> owner_;
    const std::string& bytes_;
    size_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteReader> ReadKeptBytes(std::shared_ptr<const PartContent> owner, const std::string& bytes)
{
    return std::make_unique<KeptBytesReader>(std::move(owner), bytes);
}

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
