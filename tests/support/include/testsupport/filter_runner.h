// Runs filters over parts the way the pipeline does: each filter is
// initialised with a communicator, the property bag and its own control,
// then StartOperation runs on a thread of its own. Several filters form a
// chain: each one's consumer hands parts to the next one's provider through a
// bounded channel, and the last one's consumer records what reached it.
//
//   auto outcome = RunFilter(filter.Get(), {sequence, document, page});
//   EXPECT_EQ(outcome.filters[0].startResult, S_OK);
//   EXPECT_EQ(outcome.consumer->Transcript(), ...);
#pragma once

#include <string>
#include <vector>

#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "testsupport/pipeline_doubles.h"

namespace testsupport {

struct FilterOutcome {
    HRESULT initializeResult = E_FAIL;
    // Not run (E_FAIL) when InitializeFilter failed.
    HRESULT startResult = E_FAIL;
    std::vector<HRESULT> shutdownRequests;
    // The reason given with each, as RecordingControl::ShutdownNotes.
    std::vector<std::string> shutdownNotes;
    int filterFinishedCount = 0;
};

struct ChainOutcome {
    std::vector<FilterOutcome> filters;
    ComPtr<RecordingConsumer> consumer;
};

struct RunOptions {
    // Null: a bag with "PrinterName", "PrintJobId" and the default device's
    // ticket as "PerUserPrintTicket".
    ComPtr<IPrintPipelinePropertyBag> propertyBag;
    // Null: a new RecordingConsumer.
    ComPtr<RecordingConsumer> consumer;
    size_t channelCapacity = 4;
};

// The bag the runner uses by default.
ComPtr<TestPropertyBag> DefaultPropertyBag();

// Runs the chain until every filter has returned from StartOperation. A
// shutdown request from any filter cancels every channel, so that no filter
// waits for ever on a neighbour that stopped.
ChainOutcome RunChain(const std::vector<IPrintPipelineFilter*>& filters, IXpsDocumentProvider* source,
                      const RunOptions& options = {});
ChainOutcome RunChain(const std::vector<IPrintPipelineFilter*>& filters, const std::vector<ComPtr<IUnknown>>& parts,
                      const RunOptions& options = {});
ChainOutcome RunFilter(IPrintPipelineFilter* filter, const std::vector<ComPtr<IUnknown>>& parts,
                       const RunOptions& options = {});

// Loads the module lib<moduleName>.so, runs its filter for clsid over parts
// and unloads it again. The module's filter object is released before the
// module is unloaded; loading failures fail the test through the outcome
// (initializeResult and startResult stay E_FAIL, no consumer calls).
ChainOutcome RunFilterModule(const std::string& moduleName, REFCLSID clsid, const std::vector<ComPtr<IUnknown>>& parts,
                             const RunOptions& options = {});

}  // namespace testsupport
