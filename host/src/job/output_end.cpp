#include "job/output_end.h"

#include "job/stream_output.h"
#include "opc/part_name.h"
#include "opc/xps_names.h"

namespace tav::host {
namespace {

// An XPS package, or an OpenXPS one for a name ending in .oxps.
class PackageOutput : public OutputEnd {
public:
    PackageOutput(xps::Flavour flavour, std::function<void()> onPage) : flavour_(flavour), onPage_(std::move(onPage)) {}
    void Wire(ChainEnds& ends, int fd, std::shared_ptr<FailureLog> log) const override
    {
        auto writer = std::make_unique<PackageWriter>(fd, flavour_);
        ends.lastQueue = std::make_shared<PartQueue>(FilterChain::kQueueDepth, FilterChain::kQueueBatch);
        ends.lastWriter = ComPtr<IUnknown>::Adopt(
            MakePackageConsumer(std::move(writer), std::move(log), ends.lastState, ends.names, onPage_, ends.lastQueue)
                .Detach());
    }
    std::function<void()> ReportedPages() const override { return nullptr; }

private:
    xps::Flavour flavour_;
    std::function<void()> onPage_;
};

// The printer stream a filter writes, as it comes.
class StreamOutput : public OutputEnd {
public:
    explicit StreamOutput(std::function<void()> onPage) : onPage_(std::move(onPage)) {}
    void Wire(ChainEnds& ends, int fd, std::shared_ptr<FailureLog> log) const override
    {
        ends.lastWriter = ComPtr<IUnknown>::Adopt(MakeFileWriteStream(fd, std::move(log), ends.lastState).Detach());
    }
    std::function<void()> ReportedPages() const override { return onPage_; }

private:
    std::function<void()> onPage_;
};

xps::Flavour OutputFlavour(const std::string& output)
{
    std::string lower = PartNameKey(output);
    return lower.size() >= 5 && lower.compare(lower.size() - 5, 5, ".oxps") == 0 ? xps::Flavour::OpenXps
                                                                                 : xps::Flavour::Xps;
}

}  // namespace

std::unique_ptr<OutputEnd> MakeOutputEnd(const FilterEntry& last, const JobRequest& request)
{
    if (last.streamOutput) return std::make_unique<StreamOutput>(request.onPage);
    return std::make_unique<PackageOutput>(OutputFlavour(request.output), request.onPage);
}

}  // namespace tav::host
