#include "opc/compatible_markup_content.h"

#include <cstring>

#include "opc/fixed_markup_pass.h"

namespace tav::host {
namespace {

class CompatibleReader : public ByteReader {
public:
    CompatibleReader(std::unique_ptr<ByteReader> source, std::string partName)
        : source_(std::move(source)), pass_(std::move(partName), "FixedPage", &output_)
    {
        output_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    }

    size_t Read(void* buffer, size_t count) override
    {
        while (taken_ == output_.size() && !ended_) {
            output_.clear();
            taken_ = 0;
            char block[65536];
            size_t got = source_->Read(block, sizeof block);
            if (got == 0) {
                pass_.Finish();
                ended_ = true;
            } else {
                pass_.Feed(block, got);
            }
        }
        size_t take = std::min(count, output_.size() - taken_);
        std::memcpy(buffer, output_.data() + taken_, take);
        taken_ += take;
        return take;
    }

private:
    std::unique_ptr<ByteReader> source_;
    std::string output_;
    FixedMarkupPass pass_;
    size_t taken_ = 0;
    bool ended_ = false;
};

class CompatibleContent : public PartContent {
public:
    CompatibleContent(std::shared_ptr<const PartContent> original, std::string partName)
        : original_(std::move(original)), partName_(std::move(partName))
    {
    }
    std::unique_ptr<ByteReader> Open() const override
    {
        return std::make_unique<CompatibleReader>(original_->Open(), partName_);
    }
    std::optional<uint64_t> KnownSize() const override { return std::nullopt; }

private:
    std::shared_ptr<const PartContent> original_;
    std::string partName_;
};

}  // namespace

std::shared_ptr<const PartContent> CompatibleMarkupContent(std::shared_ptr<const PartContent> original,
                                                           std::string partName)
{
    return std::make_shared<CompatibleContent>(std::move(original), std::move(partName));
}

}  // namespace tav::host
