#include "chain/filter_chain.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "platform/pipeline_warnings.h"
#include "platform/printticket.h"
#include "platform/wformat.h"
#include "platform/xml.h"

namespace tav::host {
namespace {

std::string TextOf(BSTR text)
{
    std::string utf8 = text == nullptr ? std::string() : WideToUtf8(text);
    SysFreeString(text);
    return utf8;
}

// The part and reason a filter gave with its shutdown request, if any.
FilterFailure FailureDetails(IImgErrorInfo* errorInfo)
{
    FilterFailure details;
    if (errorInfo == nullptr) return details;
    BSTR source = nullptr;
    BSTR description = nullptr;
    if (SUCCEEDED(errorInfo->GetSource(&source))) details.part = TextOf(source);
    if (SUCCEEDED(errorInfo->GetDescription(&description))) details.reason = TextOf(description);
    return details;
}

// The control also hears the warnings of a filter whose job goes on.
class ManagerControl : public ComObject<IPrintPipelineManagerControl, IPrintPipelineWarningReport> {
public:
    ManagerControl(FilterChain* chain, size_t filter) : chain_(chain), filter_(filter) {}
    HRESULT RequestShutdown(HRESULT reason, IImgErrorInfo* errorInfo) override
    {
        chain_->RequestShutdown(filter_, reason, FailureDetails(errorInfo));
        return S_OK;
    }
    HRESULT FilterFinished() override
    {
        chain_->FilterFinished(filter_);
        return S_OK;
    }
    HRESULT ReportWarning(const WCHAR* part, const WCHAR* text) override
    {
        if (text == nullptr || text[0] == 0) return E_INVALIDARG;
        try {
            chain_->ReportWarning(WideToUtf8(part), WideToUtf8(text));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        if (riid == IID_IPrintPipelineManagerControl) return static_cast<IPrintPipelineManagerControl*>(this);
        if (riid == IID_IPrintPipelineWarningReport) return static_cast<IPrintPipelineWarningReport*>(this);
        return nullptr;
    }

private:
    FilterChain* chain_;
    size_t filter_;
};

// What the failures the filters stop a job with say about its input.
const char* HresultMeaning(HRESULT result)
{
    switch (result) {
    case E_OUTOFMEMORY: return "out of memory";
    case XML_E_PARSE_FAILED: return "markup that is not well-formed XML";
    case XML_E_DTD_PROHIBITED: return "markup with a DTD (DOCTYPE)";
    case XML_E_LIMIT_EXCEEDED: return "markup beyond the XML reader's bounds on nesting, size or attributes";
    case E_PRINTTICKET_FORMAT: return "a print ticket that cannot be read";
    case E_DELTA_PRINTTICKET_FORMAT: return "a print ticket to merge that cannot be read";
    case E_PRINTCAPABILITIES_FORMAT: return "print capabilities that cannot be read";
    default: return nullptr;
    }
}

}  // namespace

std::string HresultText(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    const char* meaning = HresultMeaning(result);
    return meaning == nullptr ? std::string(text) : std::string(text) + ": " + meaning;
}

struct FilterChain::Slot {
    ChainFilter filter;
    std::shared_ptr<PartTracker> tracker = std::make_shared<PartTracker>();
    std::shared_ptr<PartQueue> output;  // null for the last filter
    std::shared_ptr<SenderState> sender;
    std::thread thread;
    HRESULT result = S_OK;
    bool ended = false;
    bool endHandled = false;
    int finishedReports = 0;
};

FilterChain::FilterChain(std::vector<ChainFilter> filters, std::shared_ptr<FailureLog> log) : log_(std::move(log))
{
    for (ChainFilter& filter : filters) {
        auto slot = std::make_unique<Slot>();
        slot->filter = std::move(filter);
        slots_.push_back(std::move(slot));
    }
}

FilterChain::~FilterChain()
{
    for (auto& slot : slots_) {
        if (slot->thread.joinable()) slot->thread.join();
    }
    // A filter may report FilterFinished from its destructor: release the
    // filters while the chain is still whole.
    for (auto& slot : slots_) slot->filter.filter.Reset();
}

void FilterChain::RecordFilterFailure(size_t filter, const std::string& reason)
{
    log_->Record(FailureKind::Filter, slots_[filter]->tracker->Last(),
                 "filter " + slots_[filter]->filter.name + " " + reason);
}

void FilterChain::ReportWarning(const std::string& part, const std::string& text)
{
    std::string warning = part.empty() ? text : part + ": " + text;
    std::lock_guard<std::mutex> hold(lock_);
    if (std::find(warnings_.begin(), warnings_.end(), warning) == warnings_.end())
        warnings_.push_back(std::move(warning));
}

std::vector<std::string> FilterChain::Warnings() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return warnings_;
}

void FilterChain::RequestShutdown(size_t filter, HRESULT reason, const FilterFailure& details)
{
    // A filter that says what went wrong is quoted; the part it names is
    // the one at fault, which may not be the last part it was handed.
    if (!details.reason.empty()) {
        log_->Record(FailureKind::Filter, details.part.empty() ? slots_[filter]->tracker->Last() : details.part,
                     details.reason);
    } else {
        RecordFilterFailure(filter, "stopped the job (" + HresultText(reason) + ")");
    }
    std::lock_guard<std::mutex> hold(lock_);
    shutdownRequested_ = true;
    changed_.notify_all();
}

void FilterChain::FilterFinished(size_t filter)
{
    std::lock_guard<std::mutex> hold(lock_);
    ++slots_[filter]->finishedReports;
    changed_.notify_all();
}

bool FilterChain::Run(const ChainEnds& ends, IPrintPipelinePropertyBag* propertyBag)
{
    if (slots_.empty()) return false;
    slots_[0]->tracker = ends.firstTracker ? ends.firstTracker : slots_[0]->tracker;
    firstDrained_ = ends.firstDrained;
    firstQueue_ = ends.firstQueue;
    lastQueue_ = ends.lastQueue;
    // Wire each filter to its neighbours.
    std::vector<ComPtr<IUnknown>> readers(slots_.size());
    readers[0] = ends.firstProvider;
    for (size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = *slots_[i];
        ComPtr<IUnknown> writer;
        if (i + 1 < slots_.size()) {
            slot.output = std::make_shared<PartQueue>(kQueueDepth, kQueueBatch);
            // The filter's input queue learns where the filter sends to.
            if (i > 0) slots_[i - 1]->output->SetOutput(slot.output);
            if (i == 0 && firstQueue_) firstQueue_->SetOutput(slot.output);
            slot.sender = std::make_shared<SenderState>();
            writer = ComPtr<IUnknown>::Adopt(MakeQueueConsumer(slot.output, log_, slot.sender, ends.names).Detach());
            readers[i + 1] = ComPtr<IUnknown>::Adopt(MakeQueueProvider(slot.output, slots_[i + 1]->tracker).Detach());
        } else {
            writer = ends.lastWriter;
            slot.sender = ends.lastState;
            if (lastQueue_) {
                if (i > 0) slots_[i - 1]->output->SetOutput(lastQueue_);
                if (i == 0 && firstQueue_) firstQueue_->SetOutput(lastQueue_);
            }
        }
        ComPtr<IInterFilterCommunicator> communicator = MakeCommunicator(readers[i], writer);
        ComPtr<IPrintPipelineManagerControl> control =
            ComPtr<IPrintPipelineManagerControl>::Adopt(new ManagerControl(this, i));
        HRESULT result = slot.filter.filter->InitializeFilter(communicator.Get(), propertyBag, control.Get());
        if (FAILED(result)) {
            RecordFilterFailure(i, "could not be initialised (" + HresultText(result) + ")");
            return false;
        }
    }
    readers.clear();

    {
        std::lock_guard<std::mutex> hold(lock_);
        running_ = slots_.size();
    }
    for (size_t i = 0; i < slots_.size(); ++i) {
        Slot* slot = slots_[i].get();
        slot->thread = std::thread([this, slot] {
            HRESULT result = slot->filter.filter->StartOperation();
            std::lock_guard<std::mutex> hold(lock_);
            slot->result = result;
            slot->ended = true;
            --running_;
            changed_.notify_all();
        });
    }
    Supervise();
    for (auto& slot : slots_) slot->thread.join();
    if (const std::shared_ptr<SenderState>& output = slots_.back()->sender) {
        std::lock_guard<std::mutex> hold(output->lock);
        if (output->finishFailure) {
            log_->Record(output->finishFailure->kind, output->finishFailure->part, output->finishFailure->reason);
        }
    }

    bool complete = !log_->First().has_value();
    for (size_t i = 0; i < slots_.size() && complete; ++i) {
        if (slots_[i]->finishedReports == 0) {
            RecordFilterFailure(i, "ended without reporting that it finished");
            complete = false;
        }
    }
    return complete && !stopped_;
}

void FilterChain::Supervise()
{
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] {
            if (running_ == 0 || (shutdownRequested_ && !stopped_)) return true;
            for (auto& slot : slots_) {
                if (slot->ended && !slot->endHandled) return true;
            }
            return false;
        });
        if (shutdownRequested_ && !stopped_) {
            stopped_ = true;
            hold.unlock();
            StopAll();
            hold.lock();
            continue;
        }
        for (size_t i = 0; i < slots_.size(); ++i) {
            Slot& slot = *slots_[i];
            if (!slot.ended || slot.endHandled) continue;
            slot.endHandled = true;
            bool failedAlone = FAILED(slot.result) && !shutdownRequested_;
            bool leftOpen = SUCCEEDED(slot.result) && !stopped_ && !(slot.sender && slot.sender->closed);
            // A filter that ends before its provider ran dry would leave the
            // one before it waiting on a full queue.
            bool leftInput = SUCCEEDED(slot.result) && !stopped_ && !InputDrained(i);
            if (failedAlone || leftOpen || leftInput) {
                std::string reason = failedAlone ? "failed (" + HresultText(slot.result) + ")"
                                     : leftOpen  ? "ended without closing its output"
                                                 : "ended before reading all of its input";
                hold.unlock();
                RecordFilterFailure(i, reason);
                hold.lock();
                shutdownRequested_ = true;
            }
            // The next filter must see the end even if this one never said so.
            if (slot.output) slot.output->Close();
        }
        if (running_ == 0 && !(shutdownRequested_ && !stopped_)) return;
    }
}

bool FilterChain::InputDrained(size_t filter) const
{
    if (filter > 0) return slots_[filter - 1]->output->Drained();
    return !firstDrained_ || *firstDrained_;
}

void FilterChain::StopAll()
{
    // ShutdownOperation first, so that filters woken by the aborted queues
    // find themselves stopped and end quietly.
    for (auto& slot : slots_) slot->filter.filter->ShutdownOperation();
    if (firstQueue_) firstQueue_->Abort();
    if (lastQueue_) lastQueue_->Abort();
    for (auto& slot : slots_) {
        if (slot->output) slot->output->Abort();
    }
}

}  // namespace tav::host
