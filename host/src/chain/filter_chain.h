// Runs a chain of filters over a job: one thread per filter, a bounded queue
// between each filter's consumer and the next one's provider. A shutdown
// request from any filter stops the whole chain: every filter gets
// ShutdownOperation, the queues are aborted so no thread stays blocked, and
// the job fails. Run returns once every thread has ended.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "chain/chain_objects.h"
#include "content/failure_log.h"

namespace tav::host {

struct ChainFilter {
    std::string name;
    ComPtr<IPrintPipelineFilter> filter;
};

// What a filter says about its failure when it asks to stop the job.
struct FilterFailure {
    std::string part;    // the part at fault, or empty
    std::string reason;  // empty when the filter said nothing
};

struct ChainEnds {
    ComPtr<IUnknown> firstProvider;                   // the first filter's reader
    std::shared_ptr<PartTracker> firstTracker;        // what the first provider handed out
    std::shared_ptr<std::atomic<bool>> firstDrained;  // the first provider gave its last part
    std::shared_ptr<PartQueue> firstQueue;            // what the first provider reads ahead into, if it does
    ComPtr<IUnknown> lastWriter;                      // the last filter's writer
    std::shared_ptr<SenderState> lastState;           // whether the last filter closed it
    std::shared_ptr<PartQueue> lastQueue;             // what the last writer writes behind from, if it does
    std::shared_ptr<PartNameRegistry> names;          // the part names the job uses
};

class FilterChain {
public:
    // Parts between two filters, and how many a sleeping filter is woken
    // for (PartQueue): handing parts on in batches spares two thread
    // switches per part and filter.
    static constexpr size_t kQueueDepth = 8;
    static constexpr size_t kQueueBatch = 4;

    FilterChain(std::vector<ChainFilter> filters, std::shared_ptr<FailureLog> log);
    ~FilterChain();

    // Runs the job; failures are recorded in the log. True when every
    // filter finished, closed its output and nothing failed.
    bool Run(const ChainEnds& ends, IPrintPipelinePropertyBag* propertyBag);

    // Called by the filters' manager controls.
    void RequestShutdown(size_t filter, HRESULT reason, const FilterFailure& details = {});
    void FilterFinished(size_t filter);
    // A warning of a filter whose job goes on, kept once however often it
    // comes; and those kept, in the order they first came.
    void ReportWarning(const std::string& part, const std::string& text);
    std::vector<std::string> Warnings() const;

private:
    struct Slot;
    void Supervise();
    void StopAll();
    void RecordFilterFailure(size_t filter, const std::string& reason);

    bool InputDrained(size_t filter) const;

    std::vector<std::unique_ptr<Slot>> slots_;
    std::shared_ptr<std::atomic<bool>> firstDrained_;
    std::shared_ptr<PartQueue> firstQueue_;
    std::shared_ptr<PartQueue> lastQueue_;
    std::shared_ptr<FailureLog> log_;
    mutable std::mutex lock_;
    std::vector<std::string> warnings_;
    std::condition_variable changed_;
    bool shutdownRequested_ = false;
    bool stopped_ = false;
    size_t running_ = 0;
};

// "0x80004005"; with what it means for the well-known failures that tell
// about the job's input ("0xC00CE501: markup that is not well-formed XML").
std::string HresultText(HRESULT result);

}  // namespace tav::host
