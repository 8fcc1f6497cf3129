// The pipeline objects the host hands each filter: its provider, its
// consumer, the communicator that gives them, and the property bag.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "chain/part_queue.h"
#include "content/failure_log.h"
#include "package/package_walker.h"
#include "package/package_writer.h"
#include "parts/part_name_registry.h"

namespace tav::host {

// The name of the last part a filter was given, for failure messages.
class PartTracker {
public:
    void Note(IUnknown* part);
    std::string Last() const;

private:
    mutable std::mutex lock_;
    std::string last_;
};

// Whether a consumer's CloseSender was called: a filter that ends without
// closing its output leaves the job incomplete.
struct SenderState {
    std::atomic<bool> closed{false};
    // Why the output could not be finished at CloseSender. Kept apart from
    // the job's failure log: a failing filter closes its sender before it
    // asks the pipeline to stop, and then its failure, not the unfinished
    // output that follows from it, is what the job reports.
    std::mutex lock;
    std::optional<Failure> finishFailure;
};

// The first filter's provider: the parts of the input package in reading
// order, read ahead on a thread of its own into readAhead (started by the
// first GetXpsPart, ended when the provider is released or the queue
// aborted). A fault in the package is recorded in log, when the filter
// reaches it, and ends the walk; *drained becomes true once the walk handed
// out its last part.
ComPtr<IXpsDocumentProvider> MakePackageProvider(std::unique_ptr<PackageWalker> walker, std::shared_ptr<FailureLog> log,
                                                 std::shared_ptr<PartTracker> tracker,
                                                 std::shared_ptr<std::atomic<bool>> drained,
                                                 std::shared_ptr<PartQueue> readAhead);
// The provider of every later filter: what the filter before it sent.
ComPtr<IXpsDocumentProvider> MakeQueueProvider(std::shared_ptr<PartQueue> queue, std::shared_ptr<PartTracker> tracker);
// The consumer of every filter but the last: hands parts to the next one.
// Every consumer of a job gives out new part names from the job's one
// registry.
ComPtr<IXpsDocumentConsumer> MakeQueueConsumer(std::shared_ptr<PartQueue> queue, std::shared_ptr<FailureLog> log,
                                               std::shared_ptr<SenderState> state,
                                               std::shared_ptr<PartNameRegistry> names);
// The last filter's consumer: the output package, written on a thread of
// its own that takes the parts sent from writeBehind (started by the first
// send, ended by CloseSender, by the consumer's release or by aborting the
// queue). onPage is called, on that thread, after each page written.
ComPtr<IXpsDocumentConsumer> MakePackageConsumer(std::unique_ptr<PackageWriter> writer, std::shared_ptr<FailureLog> log,
                                                 std::shared_ptr<SenderState> state,
                                                 std::shared_ptr<PartNameRegistry> names, std::function<void()> onPage,
                                                 std::shared_ptr<PartQueue> writeBehind);

ComPtr<IInterFilterCommunicator> MakeCommunicator(ComPtr<IUnknown> reader, ComPtr<IUnknown> writer);

// A thread-safe property bag.
ComPtr<IPrintPipelinePropertyBag> MakePropertyBag();

}  // namespace tav::host
