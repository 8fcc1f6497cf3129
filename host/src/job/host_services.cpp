#include "job/host_services.h"

#include "content/failure_log.h"
#include "content/spill_buffer.h"
#include "parts/part_streams.h"

namespace tav::host {
namespace {

class TicketStreamFactory : public ComObject<IPrintReadStreamFactory> {
public:
    explicit TicketStreamFactory(std::string bytes)
        : content_(MemoryContent(std::move(bytes))), log_(std::make_shared<FailureLog>())
    {
    }
    HRESULT GetStream(IPrintReadStream** stream) override
    {
        if (stream == nullptr) return E_POINTER;
        *stream = MakeReadStream(content_, log_, "PerUserPrintTicket").Detach();
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintReadStreamFactory ? static_cast<IPrintReadStreamFactory*>(this) : nullptr;
    }

private:
    std::shared_ptr<const PartContent> content_;
    std::shared_ptr<FailureLog> log_;  // memory reads do not fail
};

class ProgressReport : public ComObject<IPrintPipelineProgressReport> {
public:
    explicit ProgressReport(std::function<void()> onPage) : onPage_(std::move(onPage)) {}
    HRESULT ReportProgress(EXpsJobConsumption update) override
    {
        if (update < XpsJob_DocumentSequenceAdded || update > XpsJob_FixedPageAdded) return E_INVALIDARG;
        if (update == XpsJob_FixedPageAdded && onPage_) onPage_();
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintPipelineProgressReport ? static_cast<IPrintPipelineProgressReport*>(this) : nullptr;
    }

private:
    std::function<void()> onPage_;
};

}  // namespace

ComPtr<IPrintReadStreamFactory> MakeTicketStreamFactory(std::string ticketBytes)
{
    return ComPtr<IPrintReadStreamFactory>::Adopt(new TicketStreamFactory(std::move(ticketBytes)));
}

ComPtr<IPrintPipelineProgressReport> MakeProgressReport(std::function<void()> onPage)
{
    return ComPtr<IPrintPipelineProgressReport>::Adopt(new ProgressReport(std::move(onPage)));
}

}  // namespace tav::host
